// The browser tests drive Debian's Chromium (never a browser of Playwright's own) against `qenprops serve`.
// QEN_QENPROPS names the built tool, QEN_CHROMIUM the browser, QEN_ARTIFACTS where screenshots and traces go.
import {defineConfig} from '@playwright/test';

export default defineConfig({
  testDir: './tests',
  timeout: 30000,
  expect: {timeout: 5000},
  fullyParallel: false,
  workers: 2,
  retries: 0,
  reporter: [['list']],
  outputDir: process.env.QEN_ARTIFACTS ? `${process.env.QEN_ARTIFACTS}/results` : 'test-results',
  use: {
    browserName: 'chromium',
    headless: true,
    viewport: {width: 1280, height: 900},
    trace: 'retain-on-failure',
    launchOptions: {
      executablePath: process.env.QEN_CHROMIUM || '/usr/bin/chromium',
      args: ['--headless', '--no-sandbox', '--disable-gpu', '--disable-quic', '--no-first-run',
             '--disable-background-networking', '--disable-component-update', '--disable-sync'],
    },
  },
});
