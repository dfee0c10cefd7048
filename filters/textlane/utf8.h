// UTF-8 input: each character is looked up in the printer's set (JIS X 0208
// and half-width katakana) and handed on in EUC form.
#pragma once

#include <cstddef>
#include <cstdint>

// The EUC bytes of a Unicode character: 0xA1A1 to 0xFEFE for JIS X 0208,
// 0x8EA1 to 0x8EDF for half-width katakana, 0 when the printer has no such
// character. Built once from the C library's EUC-JP converter.
uint16_t euc_of_unicode(uint32_t code_point);

// The geta mark printed in place of a character the printer does not have.
constexpr uint16_t GETA_EUC = 0xA2AE;
