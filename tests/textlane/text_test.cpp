// Whole output streams of text jobs: conversion, mode changes, pass-through lines.
#include "job_runner.h"

#include <gtest/gtest.h>

namespace {

using namespace std::string_literals;

std::string text_job(const std::string& input, int code = 0, int filter_mode = 0)
{
    TextSettings s = defaults();
    s.kanji_code = code;
    s.filter_mode = filter_mode;
    return run_job(s, input);
}

// The text part of a job's stream.
std::string printed(const std::string& text)
{
    return setup_stream() + text + end_of_job;
}

}  // namespace

TEST(Text, EmptyInputGivesOnlySetUpAndEndOfJob)
{
    EXPECT_EQ(text_job(""), printed(""));
}

TEST(Text, EucKanjiAndKatakanaSwitchModes)
{
    EXPECT_EQ(text_job("\xa4\xa2" "A\n"), printed("\033n\x24\x22\017A\n"));
    // Half-width katakana keeps its eighth bit and counts as Roman mode.
    EXPECT_EQ(text_job("\x8e\xb1" "A\n"), printed("\017\xb1\017A\n"));
    EXPECT_EQ(text_job("\x8e\xb1\xb0\xa1\n"), printed("\017\xb1\033n\x30\x21\017\n"));
    // Supplementary three-byte characters are dropped without a mode change.
    EXPECT_EQ(text_job("a\x8f\xa2\xafz\n"), printed("az\n"));
}

TEST(Text, ShiftJisKanji)
{
    EXPECT_EQ(text_job("\x82\xa0" "A\n", 1), printed("\033n\x24\x22\017A\n"));
    EXPECT_EQ(text_job("\x88\x9f\n", 1), printed("\033n\x30\x21\017\n"));
    // Half-width katakana and bytes from 0xF0 pass unchanged.
    EXPECT_EQ(text_job("\xb1\xf0z\n", 1), printed("\xb1\xf0z\n"));
}

TEST(Text, JisInputPassesItsOwnModeChanges)
{
    EXPECT_EQ(text_job("a\033$B\x30\x21\x30\x22\033(Bb\n", 2), printed("a\033n\x30\x21\x30\x22\017b\n"));
    EXPECT_EQ(text_job("\033$@\x30\x21\033(J\n", 2), printed("\033n\x30\x21\017\n"));
    EXPECT_EQ(text_job("\033&@\033$B\x30\x21\033(I\n", 2), printed("\033n\x30\x21\017\n"));
    // ESC $ ( also swallows the byte that names the set.
    EXPECT_EQ(text_job("\033$(Q\x30\x21\n", 2), printed("\033n\x30\x21\n"));
}

TEST(Text, UnknownKanjiCodePrintsNoText)
{
    EXPECT_EQ(text_job("abc\n\xa4\xa2\n", 7), printed(""));
    EXPECT_EQ(text_job("abc\n", -1), printed(""));
}

TEST(Text, StrayEscapesAreDroppedWithinTheLine)
{
    EXPECT_EQ(text_job("a\033b\n"), printed("ab\n"));
    EXPECT_EQ(text_job("\033$\n"), printed("$\n"));
    EXPECT_EQ(text_job("\033&@\033$@x\n"), printed("&@\033nx\n"));
    // A sequence is never completed by the next line.
    EXPECT_EQ(text_job("x\033\n$B\n"), printed("x\n$B\n"));
    EXPECT_EQ(text_job("\033$(\nz\n"), printed("\033nz\n"));
    EXPECT_EQ(text_job("a\033"), printed("a"));
}

TEST(Text, LastLineWithoutNewlineIsPrinted)
{
    EXPECT_EQ(text_job("one\ntwo"), printed("one\ntwo"));
    EXPECT_EQ(text_job("\xa4\xa2"), printed("\033n\x24\x22"));
    EXPECT_EQ(text_job(".h41", 0, 1), printed("A"));
}

TEST(Text, BrokenCharactersStayInsideTheirLine)
{
    // A character cut off by the newline is dropped and the newline kept, so
    // the lines stay apart and the next one starts in Roman mode.
    EXPECT_EQ(text_job("\xb0\nA\n"), printed("\nA\n"));
    EXPECT_EQ(text_job("\x82\nA\n", 1), printed("\nA\n"));
    EXPECT_EQ(text_job("a\x8f\n" "b\n"), printed("a\nb\n"));
    EXPECT_EQ(text_job("a\x8f\xa1\n" "b\n"), printed("a\nb\n"));
    // A character cut off by the end of the input is dropped.
    EXPECT_EQ(text_job("A\xb0"), printed("A"));
    EXPECT_EQ(text_job("A\x8e"), printed("A"));
    EXPECT_EQ(text_job("A\x88", 1), printed("A"));
    EXPECT_EQ(text_job("a\0b\n"s), printed("a\0b\n"s));
}

TEST(Text, FilterModeOnePassesMarkedLines)
{
    std::string input = ".h1b5b3031\n.H41\n.h1b5\n.h 1b\n.h\n\\\xb0\xa1\033x\nplain\n";
    EXPECT_EQ(text_job(input, 0, 1), printed("\033[01A\xb0\xa1\033x\nplain\n"));
    // Without filter mode 1 the same lines are ordinary text.
    EXPECT_EQ(text_job(".h41\n\\ab\n", 0, 0), printed(".h41\n\\ab\n"));
    EXPECT_EQ(text_job(".h41\n\\ab\n", 0, 2), printed(".h41\n\\ab\n"));
}
