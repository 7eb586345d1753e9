// Editor latency of `zoci lsp` and of clangd with the same clang-tidy checks,
// through one JSON-RPC client: from didOpen to the first diagnostics, and from
// an edit in the body (below the includes) to the diagnostics of that version.
// Each server is started three times, in turn with the other so that both meet
// the same spells of a busy machine; the open is the median of the three
// sessions, the edit the median of their three edits each. The source is the end-to-end benchmark's: about
// 300 lines over seven standard headers, C++17.
// Prints "<benchmark> <nanoseconds>" lines, as bench/ratios reads medians.
// Usage: node bench/lsp_latency.mjs <zoci> <clangd>
import { spawn } from 'node:child_process';
import { mkdtempSync, rmSync, writeFileSync } from 'node:fs';
import { createRequire } from 'node:module';
import { tmpdir } from 'node:os';
import { join, resolve } from 'node:path';
import { pathToFileURL } from 'node:url';

const rpc = createRequire(new URL('../tests/host/node_client/', import.meta.url))('vscode-jsonrpc/node');

const kChecks = '-*,bugprone-*,modernize-*,performance-*,readability-*';
const kEdits = 3;
const kSessions = 3;
const kWait = 120000;

export function generatedSource() {
  let text = '// Inventaire de la cuisine \u2014 générée pour la mesure.\n';
  for (const header of ['algorithm', 'iomanip', 'iostream', 'map', 'queue', 'random', 'string', 'unordered_set', 'vector']) {
    text += `#include <${header}>\n`;
  }
  text += '\n';
  for (let i = 0; i < 25; ++i) {
    text += `// Rezept Nr. ${i}: Grüße aus der Küche, crème brûlée\nstruct Dish${i} {\n  Dish${i}() {}\n` +
      `  int* portion = 0;\n  std::string name = "entrée ${i}";\n};\n` +
      `int Count${i}(const std::vector<int>& v, std::map<int, std::string> m) {\n  int total = 0;\n` +
      `  for (size_t k = 0; k < v.size(); ++k) total += v[k];\n` +
      `  return total + (int)m.size() + (Dish${i}().portion == 0 ? 1 : 0);\n}\n\n`;
  }
  return text;
}

/// One server behind a client that waits for the diagnostics of a version.
export class Session {
  constructor(command, args, folder) {
    this.server = spawn(command, args, { cwd: folder, stdio: ['pipe', 'pipe', 'ignore'] });
    this.connection = rpc.createMessageConnection(
      new rpc.StreamMessageReader(this.server.stdout), new rpc.StreamMessageWriter(this.server.stdin));
    this.waiters = [];
    this.connection.onNotification('textDocument/publishDiagnostics', (params) => {
      this.waiters = this.waiters.filter((waiter) => !waiter(params));
    });
    this.connection.onRequest('window/workDoneProgress/create', () => null);
    this.connection.listen();
  }

  published(uri, version) {
    return new Promise((resolve, reject) => {
      const timer = setTimeout(() => reject(new Error(`no diagnostics for version ${version}`)), kWait);
      this.waiters.push((params) => params.uri === uri && params.version === version &&
        (clearTimeout(timer), resolve(), true));
    });
  }

  async start(folder) {
    await this.connection.sendRequest('initialize', {
      processId: process.pid, rootUri: pathToFileURL(folder).href,
      capabilities: { textDocument: { publishDiagnostics: { versionSupport: true } } },
    });
    await this.connection.sendNotification('initialized', {});
  }

  /// Seconds from sending `notify` to the diagnostics of `version`.
  async timed(uri, version, notify) {
    const published = this.published(uri, version);
    const start = process.hrtime.bigint();
    await notify();
    await published;
    return Number(process.hrtime.bigint() - start);
  }

  /// Ends the server and waits until its process is gone, so that what it
  /// still does on its way out does not slow the next session down.
  async stop() {
    const exited = new Promise((resolve) => this.server.once('exit', resolve));
    await this.connection.sendRequest('shutdown');
    await this.connection.sendNotification('exit');
    const killer = setTimeout(() => this.server.kill('SIGKILL'), kWait);
    await exited;
    clearTimeout(killer);
    this.connection.dispose();
  }
}

function median(values) {
  const sorted = [...values].sort((a, b) => a - b);
  return sorted[Math.floor(sorted.length / 2)];
}

/// Open and edit latencies of one session of a server, in nanoseconds.
async function measure(command, args, folder, text) {
  const session = new Session(command, args, folder);
  await session.start(folder);
  const uri = pathToFileURL(join(folder, 'inventory.cpp')).href;
  const open = await session.timed(uri, 1, () => session.connection.sendNotification('textDocument/didOpen',
    { textDocument: { uri, languageId: 'cpp', version: 1, text } }));
  const line = text.split('\n').indexOf('') + 1;  // the first line after the includes
  const edits = [];
  for (let version = 2; version < 2 + kEdits; ++version) {
    const insert = { range: { start: { line, character: 0 }, end: { line, character: 0 } },
      text: `int* edited${version} = 0;\n` };
    edits.push(await session.timed(uri, version, () => session.connection.sendNotification('textDocument/didChange',
      { textDocument: { uri, version }, contentChanges: [insert] })));
  }
  await session.stop();
  return { open, edits };
}

/// The median open and edit latencies of a server's sessions.
function summary(sessions) {
  return { open: median(sessions.map((s) => s.open)), edit: median(sessions.flatMap((s) => s.edits)) };
}

async function main() {
  const [zoci, clangd] = process.argv.slice(2).map((path) => resolve(path));
  const folder = mkdtempSync(join(tmpdir(), 'zoci-lsp-bench-'));
  try {
    const text = generatedSource();
    writeFileSync(join(folder, 'inventory.cpp'), text);
    writeFileSync(join(folder, '.clang-tidy'), `Checks: '${kChecks}'\n`);
    writeFileSync(join(folder, 'compile_flags.txt'), '-std=c++17\n');
    const oursSessions = [], theirsSessions = [];
    for (let i = 0; i < kSessions; ++i) {
      oursSessions.push(await measure(zoci, ['lsp', `--checks=${kChecks}`, '--std=c++17'], folder, text));
      theirsSessions.push(await measure(clangd, ['--clang-tidy', '--log=error'], folder, text));
    }
    const ours = summary(oursSessions), theirs = summary(theirsSessions);
    console.log(`BM_LspOpenZoci ${ours.open}\nBM_LspEditZoci ${ours.edit}`);
    console.log(`BM_LspOpenClangd ${theirs.open}\nBM_LspEditClangd ${theirs.edit}`);
  } finally {
    rmSync(folder, { recursive: true, force: true });
  }
}

// Run as a script, not when another benchmark imports the client.
if (import.meta.url === pathToFileURL(process.argv[1]).href) {
  main().catch((error) => {
    console.error(`lsp_latency: ${error.message}`);
    process.exit(1);
  });
}
