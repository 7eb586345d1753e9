// `zoci lsp` driven end to end by a JSON-RPC client from the npm registry, as
// an editor's client drives it: a document with non-ASCII text and a surrogate
// pair before its diagnostic, edits that move the diagnostic, a quick fix
// resolved and applied, progress reports, and a header on disk in UTF-16 that
// is read as edited once the editor opens it.
//
// Usage: node lsp_client.mjs <path of zoci>. Exits 77 (skipped) when the
// client package is not installed (`npm ci` in this folder).
import assert from 'node:assert/strict';
import { spawn } from 'node:child_process';
import { mkdtempSync, rmSync, writeFileSync } from 'node:fs';
import { createRequire } from 'node:module';
import { tmpdir } from 'node:os';
import { join, resolve } from 'node:path';
import { pathToFileURL } from 'node:url';

let rpc;
try {
  rpc = createRequire(import.meta.url)('vscode-jsonrpc/node');
} catch {
  console.log('skipped: vscode-jsonrpc is not installed (run npm ci in tests/host/node_client)');
  process.exit(77);
}

const kWait = 60000;
const kChecks = '-*,modernize-use-nullptr';
const kHeader = '// Größe des Puffers – 5 €\nint Size(const char* s);\n';
const kSource =
  '#include "pick.h"\n' +
  'int* Pick(const char* s) { const char* t = "é😀"; int* p = 0; return Size(s) == *t ? p : p; }\n';

/// `text` with LSP TextEdits applied; JavaScript strings count UTF-16 units, as LSP does.
function applied(text, edits) {
  const offset = ({ line, character }) => {
    let start = 0;
    for (let i = 0; i < line; ++i) start = text.indexOf('\n', start) + 1;
    return start + character;
  };
  const located = edits.map((edit) => ({ ...edit, from: offset(edit.range.start), to: offset(edit.range.end) }));
  located.sort((a, b) => b.from - a.from);
  for (const edit of located) text = text.slice(0, edit.from) + edit.newText + text.slice(edit.to);
  return text;
}

/// The 0-based LSP position of the first `what` on `line` of `text`.
function positionOf(text, line, what) {
  return { line, character: text.split('\n')[line].indexOf(what) };
}

/// Keeps what the server publishes and reports, and answers its progress requests.
class Editor {
  constructor(zoci, folder) {
    this.server = spawn(zoci, ['lsp'], { cwd: folder, stdio: ['pipe', 'pipe', 'inherit'] });
    this.exited = new Promise((resolve) => this.server.on('exit', (code) => resolve(code)));
    this.connection = rpc.createMessageConnection(
      new rpc.StreamMessageReader(this.server.stdout), new rpc.StreamMessageWriter(this.server.stdin));
    this.published = [];
    this.waiters = [];
    this.progress = new Map();  // token -> kinds in order
    this.connection.onNotification('textDocument/publishDiagnostics', (params) => {
      this.published.push(params);
      this.waiters = this.waiters.filter((waiter) => !waiter(params));
    });
    this.connection.onRequest('window/workDoneProgress/create', ({ token }) => {
      this.progress.set(token, []);
      return null;
    });
    this.connection.onNotification('$/progress', ({ token, value }) => {
      if (!this.progress.has(token)) this.progress.set(token, ['not created']);
      this.progress.get(token).push(value.kind);
    });
    this.connection.listen();
  }

  /// The diagnostics published for `uri` at `version`.
  diagnostics(uri, version) {
    const matches = (params) => params.uri === uri && params.version === version;
    const earlier = this.published.find(matches);
    if (earlier) return Promise.resolve(earlier.diagnostics);
    return new Promise((resolve, reject) => {
      const timer = setTimeout(() => reject(new Error(`no diagnostics for ${uri} version ${version}`)), kWait);
      this.waiters.push((params) => {
        if (!matches(params)) return false;
        clearTimeout(timer);
        resolve(params.diagnostics);
        return true;
      });
    });
  }

  open(uri, text) {
    return this.connection.sendNotification('textDocument/didOpen',
      { textDocument: { uri, languageId: 'cpp', version: 1, text } });
  }

  change(uri, version, contentChanges) {
    return this.connection.sendNotification('textDocument/didChange', { textDocument: { uri, version }, contentChanges });
  }
}

async function main() {
  const folder = mkdtempSync(join(tmpdir(), 'zoci-lsp-node-'));
  try {
    writeFileSync(join(folder, 'pick.h'), Buffer.concat([Buffer.from([0xff, 0xfe]), Buffer.from(kHeader, 'utf16le')]));
    writeFileSync(join(folder, 'pick.cpp'), kSource);
    await inspectEditAndFix(resolve(process.argv[2]), folder);
  } finally {
    rmSync(folder, { recursive: true, force: true });
  }
}

async function inspectEditAndFix(zoci, folder) {
  const editor = new Editor(zoci, folder);
  const uri = pathToFileURL(join(folder, 'pick.cpp')).href;
  const init = await editor.connection.sendRequest('initialize', {
    processId: process.pid, rootUri: pathToFileURL(folder).href, initializationOptions: { checks: kChecks },
    capabilities: { window: { workDoneProgress: true }, general: { positionEncodings: ['utf-16'] } },
  });
  assert.equal(init.capabilities.positionEncoding, 'utf-16');
  await editor.connection.sendNotification('initialized', {});
  await editor.open(uri, kSource);

  // The header on disk is UTF-16 with non-ASCII text: read right, it declares Size.
  const first = await editor.diagnostics(uri, 1);
  assert.equal(first.length, 1, JSON.stringify(first));
  assert.deepEqual(first[0].range.start, positionOf(kSource, 1, '0;'));
  assert.equal(first[0].code, 'modernize-use-nullptr');
  assert.equal(first[0].source, 'zoci');

  // Two quick edits; the diagnostic of the second text has moved.
  let text = kSource;
  for (const version of [2, 3]) {
    const insert = { range: { start: { line: 1, character: 0 }, end: { line: 1, character: 0 } }, text: '  ' };
    await editor.change(uri, version, [insert]);
    text = applied(text, [{ ...insert, newText: insert.text }]);
  }
  const moved = await editor.diagnostics(uri, 3);
  assert.equal(moved.length, 1, JSON.stringify(moved));
  assert.deepEqual(moved[0].range.start, positionOf(text, 1, '0;'));

  const actions = await editor.connection.sendRequest('textDocument/codeAction',
    { textDocument: { uri }, range: moved[0].range, context: { diagnostics: moved } });
  assert.deepEqual(actions.map((action) => action.kind), ['quickfix', 'quickfix']);  // the fix and a suppression
  const resolved = await editor.connection.sendRequest('codeAction/resolve', actions[0]);
  text = applied(text, resolved.edit.changes[uri]);
  assert.equal(text, kSource.replace('\nint* Pick', '\n    int* Pick').replace('p = 0', 'p = nullptr'));
  await editor.change(uri, 4, [{ text }]);
  assert.deepEqual(await editor.diagnostics(uri, 4), []);

  // Opened in the editor, the header is inspected as edited there, not as on disk.
  const headerUri = pathToFileURL(join(folder, 'pick.h')).href;
  await editor.open(headerUri, kHeader.replace('Size', 'Length'));
  await editor.change(uri, 5, [{ text }]);
  const withEditedHeader = await editor.diagnostics(uri, 5);
  assert.ok(withEditedHeader.some((d) => d.severity === 1 && d.message.includes('Size')), JSON.stringify(withEditedHeader));
  await editor.diagnostics(headerUri, 1);

  // Every run was reported: begun once the client had created its report, then ended.
  for (const [token, kinds] of editor.progress) {
    assert.deepEqual(kinds, ['begin', 'end'], `progress ${token}`);
  }
  assert.ok(editor.progress.size >= 3, `${editor.progress.size} progress reports`);

  assert.equal(await editor.connection.sendRequest('shutdown'), null);
  await editor.connection.sendNotification('exit');
  assert.equal(await editor.exited, 0);
  editor.connection.dispose();
}

main().then(() => console.log('zoci lsp: the Node.js client test passed'), (failure) => {
  console.error(failure);
  process.exit(1);
});
