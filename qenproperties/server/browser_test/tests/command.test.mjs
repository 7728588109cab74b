// The serve command's own answers, without a browser: usage errors, a port in use, and the address it prints.
import {spawnSync} from 'node:child_process';
import {test, expect} from './serve.mjs';

const tool = process.env.QEN_QENPROPS;

function run(...args) {
  return spawnSync(tool, ['serve', ...args], {encoding: 'utf8', timeout: 15000});
}

test.describe('qenprops serve', () => {
  test('refuses bad options with a usage message and status 2', () => {
    for (const args of [['--listen', 'localhost'], ['--listen', '127.0.0.1:99999'], ['--listen', '::1:80'],
                        ['--token', 'a', '--no-token'], ['--token', 'not a token'], ['--panel'], ['--colour']]) {
      const result = run(...args);
      expect(result.status, args.join(' ')).toBe(2);
      expect(result.stderr, args.join(' ')).toMatch(/qenprops serve: /);
    }
    const missing = run('--panel', '/nonexistent/panel.json');
    expect(missing.status).toBe(2);
    expect(missing.stderr).toContain('cannot read panel /nonexistent/panel.json');
  });

  test('reports a port in use instead of sharing it', async ({server}) => {
    const result = run('--listen', server.listen);
    expect(result.status).toBe(2);
    expect(result.stderr).toContain(`cannot listen on ${server.listen}`);
  });

  test('prints an address with the token that the page and API take', async ({server}) => {
    expect(server.url).toMatch(new RegExp(`^http://127\\.0\\.0\\.1:\\d+/\\?token=${server.token}$`));
    const page = await fetch(server.url);
    expect(page.status).toBe(200);
    expect(await page.text()).toContain('<main id="panel"');
  });
});
