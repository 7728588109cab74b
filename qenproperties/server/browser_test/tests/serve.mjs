// serve.mjs: a test fixture that runs `qenprops serve` for one test, on a free port, with a preset file in a
// scratch directory, and can stop and start it again on the same address and token.
import {test as base, expect} from '@playwright/test';
import {spawn} from 'node:child_process';
import {mkdtempSync, rmSync} from 'node:fs';
import {tmpdir} from 'node:os';
import {join} from 'node:path';

const tool = process.env.QEN_QENPROPS;

class Server {
  constructor(dir) {
    this.dir = dir;
    this.preset = join(dir, 'preset.json');
    this.token = `t${Math.random().toString(36).slice(2)}${Date.now().toString(36)}`;
    this.listen = '127.0.0.1:0';
    this.process = null;
  }

  // start runs the tool and waits for the address it prints; after the first start the port is kept.
  async start() {
    const args = ['serve', '--listen', this.listen, '--token', this.token, '--preset', this.preset];
    const child = spawn(tool, args, {stdio: ['ignore', 'pipe', 'pipe']});
    this.process = child;
    this.stderr = '';
    child.stderr.on('data', (chunk) => { this.stderr += chunk; });
    const url = await new Promise((resolve, reject) => {
      let out = '';
      const timer = setTimeout(() => reject(new Error(`no address printed: ${out} ${this.stderr}`)), 15000);
      child.stdout.on('data', (chunk) => {
        out += chunk;
        const match = out.match(/http:\/\/\S+/);
        if (match) {
          clearTimeout(timer);
          resolve(match[0]);
        }
      });
      child.on('exit', (code) => reject(new Error(`qenprops serve exited with ${code}: ${this.stderr}`)));
    });
    this.url = url;
    this.origin = new URL(url).origin;
    this.listen = new URL(url).host;
    return url;
  }

  // stop ends the server with SIGINT, as Ctrl+C does, and checks that it stopped cleanly.
  async stop() {
    if (!this.process) return;
    const child = this.process;
    this.process = null;
    const code = await new Promise((resolve) => {
      child.on('exit', (exitCode, signal) => resolve(exitCode ?? signal));
      child.kill('SIGINT');
    });
    expect(code, `qenprops serve stopped uncleanly: ${this.stderr}`).toBe(0);
  }

  // api calls the JSON API directly, as another client would.
  async api(method, path, body) {
    const response = await fetch(`${this.origin}/api/v1/${path}`, {
      method,
      headers: {'Authorization': `Bearer ${this.token}`, 'Content-Type': 'application/json'},
      body: body === undefined ? undefined : JSON.stringify(body),
    });
    return {status: response.status, body: await response.json()};
  }

  async value(name) {
    const panel = await this.api('GET', 'panel');
    return panel.body.properties.find((p) => p.name === name).value;
  }
}

export const test = base.extend({
  server: async ({}, use) => {
    if (!tool) throw new Error('QEN_QENPROPS must name the built qenprops tool');
    const dir = mkdtempSync(join(tmpdir(), 'qenprops-browser-'));
    const server = new Server(dir);
    await server.start();
    await use(server);
    await server.stop();
    rmSync(dir, {recursive: true, force: true});
  },
});

export {expect};

// row finds the row of a property by its name.
export function row(page, name) {
  return page.locator(`.row[data-name="${name}"]`);
}

// openPanel loads the page and waits until the panel is drawn.
export async function openPanel(page, server) {
  await page.goto(server.url);
  await expect(page.locator('main')).toHaveAttribute('aria-busy', 'false');
}
