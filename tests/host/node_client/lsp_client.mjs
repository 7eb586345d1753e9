// `zoci lsp` driven end to end by a JSON-RPC client from the npm registry, as
// an editor drives it, in five sessions with a server each: editing (non-ASCII
// text and a surrogate pair before the diagnostic, edits that move it, a quick
// fix resolved and applied, progress, a UTF-16 header on disk read as edited once
// opened, its error shown in the document); a soak of a thousand random edits; run problems shown to the user;
// a build reconfigured while the server runs; messages no client should send.
// Usage: node lsp_client.mjs <path of zoci>. Exits 77 (skipped) until `npm ci`.
import assert from 'node:assert/strict';
import { spawn } from 'node:child_process';
import { mkdirSync, mkdtempSync, rmSync, writeFileSync } from 'node:fs';
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
  constructor(zoci, folder, args = []) {
    this.server = spawn(zoci, ['lsp', ...args], { cwd: folder, stdio: ['pipe', 'pipe', 'inherit'] });
    this.exited = new Promise((resolve) => this.server.on('exit', (code) => resolve(code)));
    this.connection = rpc.createMessageConnection(
      new rpc.StreamMessageReader(this.server.stdout), new rpc.StreamMessageWriter(this.server.stdin));
    this.published = [];
    this.waiters = [];
    this.progress = new Map();  // token -> kinds in order
    this.messages = [];  // window/showMessage parameters in order
    this.connection.onNotification('window/showMessage', (params) => this.messages.push(params));
    this.connection.onNotification('textDocument/publishDiagnostics', (params) => {
      this.published.push(params);
      this.waiters = this.waiters.filter((waiter) => !waiter(params));
    });
    this.connection.onRequest('window/workDoneProgress/create', ({ token }) => {
      this.progress.set(token, []);
      return null;
    });
    this.connection.onNotification('$/progress', ({ token, value }) =>
      this.progress.set(token, [...(this.progress.get(token) ?? ['not created']), value.kind]));
    this.connection.listen();
  }

  /// The diagnostics published for `uri` at `version`.
  diagnostics(uri, version) {
    const matches = (params) => params.uri === uri && params.version === version;
    const earlier = this.published.find(matches);
    if (earlier) return Promise.resolve(earlier.diagnostics);
    return new Promise((resolve, reject) => {
      const timer = setTimeout(() => reject(new Error(`no diagnostics for ${uri} version ${version}`)), kWait);
      this.waiters.push((params) => matches(params) && (clearTimeout(timer), resolve(params.diagnostics), true));
    });
  }

  /// The diagnostics of the first publication for `uri` after the first `count` publications.
  publishedAfter(uri, count) {
    const later = this.published.slice(count).find((params) => params.uri === uri);
    if (later) return Promise.resolve(later.diagnostics);
    return new Promise((resolve, reject) => {
      const timer = setTimeout(() => reject(new Error(`no new diagnostics for ${uri}`)), kWait);
      this.waiters.push((params) => params.uri === uri && (clearTimeout(timer), resolve(params.diagnostics), true));
    });
  }

  open(uri, text) {
    return this.connection.sendNotification('textDocument/didOpen',
      { textDocument: { uri, languageId: 'cpp', version: 1, text } });
  }

  change(uri, version, contentChanges) {
    return this.connection.sendNotification('textDocument/didChange', { textDocument: { uri, version }, contentChanges });
  }

  /// The first message shown whose text has `part`, after waiting for it.
  async message(part) {
    for (let waited = 0; waited < kWait; waited += 50) {
      const shown = this.messages.find((params) => params.message.includes(part));
      if (shown) return shown;
      await new Promise((done) => setTimeout(done, 50));
    }
    throw new Error(`no message with "${part}" in ${JSON.stringify(this.messages)}`);
  }

  /// Initializes with the test's checks and the client's usual capabilities, then opens pick.cpp; its URI.
  async start(folder, checks = kChecks) {
    const init = await this.connection.sendRequest('initialize', {
      processId: process.pid, rootUri: pathToFileURL(folder).href, initializationOptions: { checks },
      capabilities: { window: { workDoneProgress: true }, general: { positionEncodings: ['utf-16'] } },
    });
    assert.equal(init.capabilities.positionEncoding, 'utf-16');
    await this.connection.sendNotification('initialized', {});
    const uri = pathToFileURL(join(folder, 'pick.cpp')).href;
    await this.open(uri, kSource);
    return uri;
  }

  /// Shuts the server down as an editor does; its exit code.
  async stop() {
    assert.equal(await this.connection.sendRequest('shutdown'), null);
    await this.connection.sendNotification('exit');
    const code = await this.exited;
    this.connection.dispose();
    return code;
  }
}

/// `text` as a file in UTF-16 LE with its byte order mark.
function utf16File(text) {
  return Buffer.concat([Buffer.from([0xff, 0xfe]), Buffer.from(text, 'utf16le')]);
}

async function main() {
  const folder = mkdtempSync(join(tmpdir(), 'zoci-lsp-node-'));
  try {
    writeFileSync(join(folder, 'pick.h'), utf16File(kHeader));
    writeFileSync(join(folder, 'pick.cpp'), kSource);
    const zoci = resolve(process.argv[2]);
    await inspectEditAndFix(zoci, folder);
    await soak(zoci, folder);
    await reportsRunProblems(zoci, folder);
    await followsTheBuild(zoci, folder);
    await survivesMisuse(zoci, folder);
  } finally {
    rmSync(folder, { recursive: true, force: true });
  }
}

async function inspectEditAndFix(zoci, folder) {
  const editor = new Editor(zoci, folder);
  const uri = await editor.start(folder);
  // The header on disk is UTF-16 with non-ASCII text: read right, it declares Size.
  const first = await editor.diagnostics(uri, 1);
  assert.deepEqual(first.map((d) => [d.range.start, d.code, d.source]),
    [[positionOf(kSource, 1, '0;'), 'modernize-use-nullptr', 'zoci']], JSON.stringify(first));

  // Two quick edits; the diagnostic of the second text has moved.
  const indent = { range: { start: { line: 1, character: 0 }, end: { line: 1, character: 0 } }, text: '  ' };
  await editor.change(uri, 2, [indent]);
  await editor.change(uri, 3, [indent]);
  let text = kSource.replace('\nint* Pick', '\n    int* Pick');
  const moved = await editor.diagnostics(uri, 3);
  assert.deepEqual(moved.map((d) => d.range.start), [positionOf(text, 1, '0;')], JSON.stringify(moved));

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
  assert.equal((await editor.message('header file not inspected')).type, 3);
  // An error in the header keeps the document from compiling: once the header is saved, the document
  // is inspected again, without an edit of its own, and shows the error at its start.
  const broken = kHeader + 'int Broken() { return undeclared_value; }\n';
  await editor.change(headerUri, 2, [{ text: broken }]);
  const beforeSave = editor.published.length;
  writeFileSync(join(folder, 'pick.h'), utf16File(broken));
  await editor.connection.sendNotification('textDocument/didSave', { textDocument: { uri: headerUri } });
  const included = (await editor.publishedAfter(uri, beforeSave)).filter((d) => d.severity === 1);
  assert.deepEqual(included.map((d) => [d.range.start, d.message]), [[{ line: 0, character: 0 },
    "in an included file, pick.h:3:23: use of undeclared identifier 'undeclared_value'"]], JSON.stringify(included));
  writeFileSync(join(folder, 'pick.h'), utf16File(kHeader));  // as the sessions below expect it

  // Every run was reported: begun once the client had created its report, then ended. A report
  // begins when the server has the client's answer to its creation, which may be after the
  // run's diagnostics arrived here.
  const ended = () => [...editor.progress.values()].every((kinds) => kinds.includes('end'));
  for (let waited = 0; waited < kWait && !ended(); waited += 50) await new Promise((done) => setTimeout(done, 50));
  for (const [token, kinds] of editor.progress) assert.deepEqual(kinds, ['begin', 'end'], `progress ${token}`);
  assert.ok(editor.progress.size >= 3, `${editor.progress.size} progress reports`);

  assert.equal(await editor.stop(), 0);
}

/// A deterministic pseudo-random number generator (a 32-bit LCG): floats in [0, 1).
function randomNumbers(seed) {
  return () => (seed = (Math.imul(seed, 1664525) + 1013904223) >>> 0) / 4294967296;
}

/// The LSP position of a UTF-16 offset of `text`, whose lines end in LF.
function positionAt(text, offset) {
  const before = text.slice(0, offset);
  const line = before.split('\n').length - 1;
  return { line, character: offset - (before.lastIndexOf('\n') + 1) };
}

/// A random edit of `text` that splits no surrogate pair: the change and the text after it.
function randomEdit(text, random) {
  const inserts = ['x', 'é', '😀', '\n', ' 0;', ''];
  const boundary = (offset) => (offset > 0 && offset < text.length && (text.charCodeAt(offset) & 0xfc00) === 0xdc00 ? offset + 1 : offset);
  const start = boundary(Math.floor(random() * (text.length + 1)));
  const end = boundary(Math.min(text.length, start + Math.floor(random() * 4)));
  const insert = inserts[Math.floor(random() * inserts.length)];
  const change = { range: { start: positionAt(text, start), end: positionAt(text, end) }, text: insert };
  return { change, text: text.slice(0, start) + insert + text.slice(end) };
}

async function soak(zoci, folder) {
  const editor = new Editor(zoci, folder);
  const uri = await editor.start(folder);
  const random = randomNumbers(13);
  const lastEdit = 1001;
  let text = kSource;
  for (let version = 2; version <= lastEdit; ++version) {
    const edit = randomEdit(text, random);
    await editor.change(uri, version, [edit.change]);
    text = edit.text;
    // Now and then a pause long enough for a run to start, which the next edit makes stale.
    if (version % 100 === 0) await new Promise((done) => setTimeout(done, 270));
  }
  // It kept up and still answers; then the newest text's diagnostic is where it belongs.
  const origin = { start: { line: 0, character: 0 }, end: { line: 0, character: 0 } };
  assert.ok(Array.isArray(await editor.connection.sendRequest('textDocument/codeAction', { textDocument: { uri }, range: origin, context: { diagnostics: [] } })));
  await editor.change(uri, lastEdit + 1, [{ text: kSource }]);
  const last = await editor.diagnostics(uri, lastEdit + 1);
  assert.deepEqual(last.map((d) => d.range.start), [positionOf(kSource, 1, '0;')], JSON.stringify(last));
  assert.ok(editor.progress.size < 100, `${editor.progress.size} runs for ${lastEdit} edits`);
  const versions = editor.published.map((params) => params.version);
  assert.deepEqual(versions, [...versions].sort((a, b) => a - b), 'a stale run published after a newer one');

  // Closed while its newest text waits or runs: the close's empty list is the last word.
  await editor.change(uri, lastEdit + 2, [{ text: kSource }]);
  await editor.connection.sendNotification('textDocument/didClose', { textDocument: { uri } });
  assert.deepEqual(await editor.diagnostics(uri, undefined), []);
  const publishedBeforeStop = editor.published.length;
  assert.equal(await editor.stop(), 0);
  assert.deepEqual(editor.published.slice(publishedBeforeStop), []);
}

/// What goes wrong in a run reaches the user: a run the engine refuses, a
/// directive the library cannot read, an error without a position.
async function reportsRunProblems(zoci, folder) {
  const refused = new Editor(zoci, folder);
  await refused.start(folder, '-*');
  assert.equal((await refused.message('no checks enabled')).type, 1);
  assert.equal(await refused.stop(), 0);

  const editor = new Editor(zoci, folder, ['-include', 'missing-pch.h']);
  const uri = await editor.start(folder);
  const first = await editor.diagnostics(uri, 1);
  assert.deepEqual(first.filter((d) => d.severity === 1).map((d) => [d.range.start, d.message]),
    [[{ line: 0, character: 0 }, "'missing-pch.h' file not found"]], JSON.stringify(first));
  const far = 'int* p = 0; // zoCI:skip+4294967296\nint* q = 0;\n';
  await editor.change(uri, 2, [{ text: far }]);
  await editor.diagnostics(uri, 2);
  const shown = await editor.message('dropped by the library');
  assert.equal(shown.type, 2);
  await editor.change(uri, 3, [{ text: far + '\n' }]);
  await editor.diagnostics(uri, 3);
  assert.equal(editor.messages.length, 1, 'the same problem again is not shown again');
  assert.equal(await editor.stop(), 0);
}

/// A compile database rewritten while the server runs gives its flags to the open documents once the
/// client reports the change, and to files it does not list; a header rewritten on disk is read again
/// by the documents that include it; a database that cannot be read leaves the flags read before,
/// and the user is told.
async function followsTheBuild(zoci, folder) {
  const build = join(folder, 'build');
  mkdirSync(build);
  const database = (args) => writeFileSync(join(build, 'compile_commands.json'),
    JSON.stringify([{ directory: folder, file: 'flags.cpp', arguments: ['c++', ...args, '-c', 'flags.cpp'] }]));
  database([]);
  const editor = new Editor(zoci, folder, ['-p', build]);
  await editor.start(folder);
  const uri = pathToFileURL(join(folder, 'flags.cpp')).href;
  const text = '#ifdef FROM_BUILD\nint* p = 0;\n#endif\n';
  await editor.open(uri, text);
  assert.deepEqual(await editor.diagnostics(uri, 1), []);
  database(['-DFROM_BUILD']);
  const before = editor.published.length;
  await editor.connection.sendNotification('workspace/didChangeWatchedFiles',
    { changes: [{ uri: pathToFileURL(join(build, 'compile_commands.json')).href, type: 2 }] });
  assert.deepEqual((await editor.publishedAfter(uri, before)).map((d) => d.code), ['modernize-use-nullptr']);
  // A file the build does not list yet borrows the flags of the nearest one it does.
  const fresh = pathToFileURL(join(folder, 'fresh.cpp')).href;
  await editor.open(fresh, text);
  assert.deepEqual((await editor.diagnostics(fresh, 1)).map((d) => d.code), ['modernize-use-nullptr']);
  assert.equal((await editor.message('no compile command of its own')).type, 3);
  // A header that another program rewrites inspects again the documents that read it.
  const header = join(folder, 'made.h');
  writeFileSync(header, 'int Made();\n');
  const user = pathToFileURL(join(folder, 'user.cpp')).href;
  await editor.open(user, '#include "made.h"\nint made = Made();\n');
  assert.deepEqual(await editor.diagnostics(user, 1), []);
  const beforeRewrite = editor.published.length;
  writeFileSync(header, 'int Other();\n');
  await editor.connection.sendNotification('workspace/didChangeWatchedFiles',
    { changes: [{ uri: pathToFileURL(header).href, type: 2 }] });
  const rewritten = await editor.publishedAfter(user, beforeRewrite);
  assert.ok(rewritten.some((d) => d.severity === 1 && d.message.includes("'Made'")), JSON.stringify(rewritten));
  writeFileSync(join(build, 'compile_commands.json'), '[{"directory": "cut');
  await editor.change(uri, 2, [{ text }]);
  assert.deepEqual((await editor.diagnostics(uri, 2)).map((d) => d.code), ['modernize-use-nullptr']);
  assert.equal((await editor.message('cannot be read')).type, 2);
  assert.equal(await editor.stop(), 0);
}

async function survivesMisuse(zoci, folder) {
  const editor = new Editor(zoci, folder);
  const failsWith = (code) => (failure) => failure.code === code;
  await assert.rejects(editor.connection.sendRequest('initialize', { capabilities: {}, initializationOptions: { checks: 5 } }), failsWith(-32602));
  await editor.connection.sendNotification('textDocument/didOpen', { textDocument: 1 });
  await assert.rejects(editor.connection.sendRequest('textDocument/codeAction', {}), failsWith(-32002));
  editor.server.stdin.end();  // the input ends without shutdown and exit
  assert.equal(await editor.exited, 1);
  editor.connection.dispose();
}

main().then(() => console.log('zoci lsp: the Node.js client test passed'), (failure) => {
  console.error(failure);
  process.exit(1);
});
