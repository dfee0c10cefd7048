// The web interface in Debian's chromium: the status page, a printed page's
// preview, the human labels of the defaults page, and a default changed
// through its form. Usage: node web_test.mjs URL PRINTER SCREENSHOT_DIR STEP
// (STEP "first" does everything; "again" only looks at the previews).
import { chromium } from 'playwright-core';

const [url, printer, shots, step] = process.argv.slice(2);
const fail = (message) => { console.error(message); process.exit(1); };
const browser = await chromium.launch({ executablePath: '/usr/bin/chromium', args: ['--no-sandbox'] });
try {
  const page = await browser.newPage({ locale: 'en-US' });
  page.setDefaultTimeout(20000);
  let response = await page.goto(`${url}/${printer}/`);
  if (!response.ok()) fail(`status page: ${response.status()}`);
  if (shots && step === 'first') await page.screenshot({ path: `${shots}/printer-app-status.png`, fullPage: true });

  await page.goto(`${url}/lane-pages`);
  const loaded = await page.$$eval('img', (images) => images.map((i) => i.complete && i.naturalWidth > 0));
  if (loaded.length === 0 || loaded.includes(false)) fail(`previews: ${JSON.stringify(loaded)}`);
  if (shots && step === 'first') await page.screenshot({ path: `${shots}/printer-app-printed-pages.png`, fullPage: true });
  if (step !== 'first') process.exit(0);

  await page.goto(`${url}/${printer}/printing`);
  const labels = await page.$$eval('th', (cells) => cells.map((c) => c.textContent));
  for (const label of ['Halftoning:', 'Brightness:', 'Gamma:', 'Scaling:'])
    if (!labels.includes(label)) fail(`no label ${label} in ${labels}`);
  await page.selectOption('select[name="lane-halftoning"]', 'threshold');
  await Promise.all([page.waitForNavigation(), page.click('input[type="submit"], button[type="submit"]')]);
  await page.goto(`${url}/${printer}/printing`);
  const chosen = await page.$eval('select[name="lane-halftoning"]', (s) => s.value);
  if (chosen !== 'threshold') fail(`the default halftoning is ${chosen}`);
} finally {
  await browser.close();
}
