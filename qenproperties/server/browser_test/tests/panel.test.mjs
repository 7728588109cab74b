// The settings page in Chromium against `qenprops serve`: drawing the panel, every kind of control, dependent
// changes, refusals, undo and redo, two pages in step, presets, keyboard-only use and a server restart.
import {readFileSync} from 'node:fs';
import {test, expect, row, openPanel} from './serve.mjs';

test.describe('the panel', () => {
  test('opens with every property, its limits and help, and drops the token from the address', async ({page, server}, info) => {
    await openPanel(page, server);
    await expect(page).toHaveTitle('Video export');
    expect(page.url()).not.toContain('token=');
    await expect(page.locator('details.group > summary')).toHaveText(['Output', 'Video', 'Audio']);
    await expect(row(page, 'Bitrate').locator('.hint')).toHaveText('500 to 100000');
    await expect(row(page, 'Codec').getByRole('option')).toHaveText(
        ['H.264 (50000)', 'H.265 (40000)', 'VP9 (30000)', 'AV1 (25000)', 'Custom']);
    await expect(row(page, 'Bitrate').locator('.help')).toHaveText('Video bitrate in kbit/s');
    await expect(row(page, 'Frame rate').getByLabel('Frame rate', {exact: true})).toHaveValue('30.000');
    await expect(page.getByRole('switch', {name: 'Include audio'})).toBeChecked();
    await expect(page.getByRole('button', {name: 'Estimate size'})).toBeVisible();
    await page.screenshot({path: info.outputPath('panel-desktop.png'), fullPage: true});
    await page.setViewportSize({width: 360, height: 780});
    // Nothing sticks out sideways at phone width.
    expect(await page.evaluate(() => document.documentElement.scrollWidth)).toBeLessThanOrEqual(360);
    await page.screenshot({path: info.outputPath('panel-phone.png'), fullPage: true});
    if (process.env.QEN_README_SCREENSHOT) {
      await page.setViewportSize({width: 1100, height: 900});
      await page.screenshot({path: process.env.QEN_README_SCREENSHOT, fullPage: false});
    }
  });

  test('changes a value of every kind of control', async ({page, server}) => {
    await openPanel(page, server);
    const quality = page.getByLabel('Quality', {exact: true});
    await quality.fill('55');
    await quality.press('Enter');
    await expect.poll(() => server.value('Quality')).toBe('55');
    await expect(row(page, 'Quality').getByRole('slider')).toHaveValue('55');

    const rate = page.getByLabel('Frame rate', {exact: true});
    await rate.fill('29.97');
    await rate.press('Tab');
    await expect.poll(() => server.value('Frame rate')).toBe('29.970');
    await expect(rate).toHaveValue('29.970');

    await page.getByRole('switch', {name: 'Include audio'}).click();
    await expect.poll(() => server.value('Include audio')).toBe('FALSE');
    await expect(row(page, 'Include audio')).toContainText('Off');

    const title = page.getByLabel('Title');
    await title.fill('Holiday clips');
    await title.press('Enter');
    await expect.poll(() => server.value('Title')).toBe('Holiday clips');

    await page.getByLabel('Container').selectOption('MKV');
    await expect.poll(() => server.value('Container')).toBe('MKV');
    await page.getByLabel('Keyframe interval').selectOption('120');
    await expect.poll(() => server.value('Keyframe interval')).toBe('120');

    // The custom entries open their own fields.
    await page.getByLabel('Codec', {exact: true}).selectOption('Custom');
    const data = page.getByLabel('Codec: custom value');
    await expect(data).toHaveValue('20000');  // the custom entry's own number, until the user gives another
    await expect.poll(() => server.value('Codec')).toBe('Custom (20000)');
    await data.fill('18000');
    await data.press('Enter');
    await expect.poll(() => server.value('Codec')).toBe('Custom (18000)');

    await page.getByLabel('Aspect ratio', {exact: true}).selectOption({label: 'Custom (N:M)'});
    const width = page.getByLabel('Aspect ratio: custom width part');
    await expect(width).toBeFocused();
    await width.fill('3');
    await page.getByLabel('Aspect ratio: custom height part').fill('2');
    await page.getByLabel('Aspect ratio: custom height part').press('Enter');
    await expect.poll(() => server.value('Aspect ratio')).toBe('3:2');
    await expect(page.getByLabel('Height', {exact: true})).toHaveValue('1280');  // the ratio keeps Width 1920

    // A group's open state is its value.
    await page.locator('summary', {hasText: 'Audio'}).click();
    await expect.poll(() => server.value('Audio')).toBe('collapsed');
    await expect(page.getByRole('switch', {name: 'Include audio'})).toBeHidden();

    await page.getByRole('button', {name: 'Estimate size'}).click();
    await expect(row(page, 'Estimate size').locator('output')).toContainText('MB per minute');
  });

  test('shows what moved with a change', async ({page, server}) => {
    await openPanel(page, server);
    await page.getByLabel('Codec', {exact: true}).selectOption('AV1 (25000)');
    const container = row(page, 'Container');
    await expect(container.getByLabel('Container')).toHaveValue('WebM');
    await expect(container.locator('output')).toHaveText('↻ changed with Codec');
    await expect(container).toHaveClass(/flash/);
    expect(await server.value('Container')).toBe('WebM');
  });

  test('puts a refused value back and says why beside the control', async ({page, server}) => {
    await openPanel(page, server);
    const bitrate = page.getByLabel('Bitrate', {exact: true});
    await bitrate.fill('60000');
    await bitrate.press('Enter');
    const message = row(page, 'Bitrate').locator('output');
    await expect(message).toHaveText('⚠ Bitrate 60000 is above 50000, the most Codec H.264 (50000) allows');
    await expect(message).toHaveAttribute('aria-live', 'polite');
    await expect(bitrate).toHaveValue('16000');
    expect(await server.value('Bitrate')).toBe('16000');
    // An invalid text is refused the same way.
    await bitrate.fill('');
    await bitrate.press('Enter');
    await expect(message).toContainText('is no value of Bitrate');
    await expect(bitrate).toHaveValue('16000');
  });

  test('undoes and redoes with the buttons and the keyboard', async ({page, server}) => {
    await openPanel(page, server);
    await expect(page.getByRole('button', {name: 'Undo'})).toBeDisabled();
    await page.getByLabel('Bitrate', {exact: true}).fill('45000');
    await page.getByLabel('Bitrate', {exact: true}).press('Enter');
    await expect.poll(() => server.value('Bitrate')).toBe('45000');
    await page.getByLabel('Codec', {exact: true}).selectOption('AV1 (25000)');  // also lowers Bitrate and moves Container
    await expect(page.getByLabel('Bitrate', {exact: true})).toHaveValue('25000');

    await page.getByRole('button', {name: 'Undo'}).click();
    await expect(page.getByLabel('Codec', {exact: true})).toHaveValue('H.264 (50000)');
    await expect(page.getByLabel('Bitrate', {exact: true})).toHaveValue('45000');
    await expect(page.getByLabel('Container')).toHaveValue('MP4');
    await page.getByRole('button', {name: 'Redo'}).click();
    await expect(page.getByLabel('Bitrate', {exact: true})).toHaveValue('25000');

    await page.locator('h1').click();  // focus outside any field
    await page.keyboard.press('Control+Z');
    await expect(page.getByLabel('Container')).toHaveValue('MP4');
    await page.keyboard.press('Control+Z');
    await expect(page.getByLabel('Bitrate', {exact: true})).toHaveValue('16000');
    await page.keyboard.press('Control+Shift+Z');
    await expect(page.getByLabel('Bitrate', {exact: true})).toHaveValue('45000');
    expect(await server.value('Bitrate')).toBe('45000');
  });

  test('keeps two pages in step', async ({page, browser, server}) => {
    const other = await (await browser.newContext()).newPage();
    await openPanel(page, server);
    await openPanel(other, server);
    await page.getByLabel('Codec', {exact: true}).selectOption('VP9 (30000)');
    await expect(other.getByLabel('Codec', {exact: true})).toHaveValue('VP9 (30000)');
    await expect(other.getByLabel('Container')).toHaveValue('WebM');
    await expect(other.getByRole('button', {name: 'Undo'})).toBeEnabled();
    // A change from another client reaches both.
    expect((await server.api('POST', 'set', {name: 'Quality', value: 33})).status).toBe(200);
    await expect(page.getByLabel('Quality', {exact: true})).toHaveValue('33');
    await expect(other.getByLabel('Quality', {exact: true})).toHaveValue('33');
    await other.getByRole('button', {name: 'Undo'}).click();
    await expect(page.getByLabel('Quality', {exact: true})).toHaveValue('80');
  });

  test('restores the state from a downloaded preset', async ({page, server}) => {
    await openPanel(page, server);
    await page.getByLabel('Title').fill('Saved state');
    await page.getByLabel('Title').press('Enter');
    await page.getByLabel('Codec', {exact: true}).selectOption('H.265 (40000)');
    await expect.poll(() => server.value('Codec')).toBe('H.265 (40000)');
    const [download] = await Promise.all([page.waitForEvent('download'),
                                          page.getByRole('link', {name: 'Download preset'}).click()]);
    const file = await download.path();
    expect(JSON.parse(readFileSync(file, 'utf8')).format).toBeTruthy();

    await page.getByRole('button', {name: 'Restore defaults'}).click();
    await expect(page.getByLabel('Title')).toHaveValue('Untitled');
    await page.locator('#upload').setInputFiles({name: 'saved.json', mimeType: 'application/json',
                                                 buffer: readFileSync(file)});
    await expect(page.locator('#status')).toContainText('Loaded saved.json: 15 loaded, 0 refused');
    await expect(page.getByLabel('Title')).toHaveValue('Saved state');
    await expect(page.getByLabel('Codec', {exact: true})).toHaveValue('H.265 (40000)');
    // A file that is no preset is refused with its place, and nothing changes.
    await page.locator('#upload').setInputFiles({name: 'bad.json', mimeType: 'application/json',
                                                 buffer: Buffer.from('{\n  "format": ')});
    await expect(page.locator('#status')).toContainText('bad.json was not loaded');
    await expect(page.locator('#status')).toContainText('line 2');
    expect(await server.value('Title')).toBe('Saved state');
  });

  test('works with the keyboard alone, with a visible focus', async ({page, server}) => {
    await openPanel(page, server);
    const quality = page.getByLabel('Quality', {exact: true});
    for (let i = 0; i < 60 && !(await quality.evaluate((e) => e === document.activeElement)); ++i) {
      await page.keyboard.press('Tab');
    }
    await expect(quality).toBeFocused();
    const outline = await quality.evaluate((e) => getComputedStyle(e).outlineStyle);
    expect(outline).not.toBe('none');
    await page.keyboard.press('Control+A');
    await page.keyboard.type('42');
    await page.keyboard.press('Enter');
    await expect.poll(() => server.value('Quality')).toBe('42');
    // On to the next controls: Frame rate, then Keyframe interval, chosen with the arrow keys.
    await page.keyboard.press('Tab');
    await page.keyboard.press('Tab');
    await expect(page.getByLabel('Keyframe interval')).toBeFocused();
    await page.keyboard.press('ArrowDown');
    await expect.poll(() => server.value('Keyframe interval')).toBe('120');
    // A group closes from the keyboard too.
    const audio = page.locator('summary', {hasText: 'Audio'});
    await audio.focus();
    await page.keyboard.press('Enter');
    await expect.poll(() => server.value('Audio')).toBe('collapsed');
  });

  test('survives a server restart and catches up', async ({page, server}) => {
    await openPanel(page, server);
    await page.getByLabel('Quality', {exact: true}).fill('61');
    await page.getByLabel('Quality', {exact: true}).press('Enter');
    await expect.poll(() => server.value('Quality')).toBe('61');
    const banner = page.getByRole('alert');
    await expect(banner).toBeHidden();

    await server.stop();
    await expect(banner).toBeVisible();
    await expect(banner).toContainText('Reconnecting');
    await server.start();  // the same address and token; the preset file brings the values back
    expect((await server.api('POST', 'set', {name: 'Title', value: 'After restart'})).status).toBe(200);
    await expect(banner).toBeHidden({timeout: 15000});
    await expect(page.getByLabel('Title')).toHaveValue('After restart');
    await expect(page.getByLabel('Quality', {exact: true})).toHaveValue('61');
    // The page writes again with the token it kept.
    await page.getByLabel('Quality', {exact: true}).fill('62');
    await page.getByLabel('Quality', {exact: true}).press('Enter');
    await expect.poll(() => server.value('Quality')).toBe('62');
  });
});
