// Peak memory of a process holding the preambles of eight files, next to
// clangd's for the same eight files: zoci_inspect_probe inspects each of eight
// copies of the benchmark source twice (the engine keeps eight preambles by
// default), and clangd-19 --clang-tidy opens the same eight files and
// publishes their diagnostics. The checks are the four groups' checks that do
// not watch the preprocessor, so that the engine keeps a preamble per file.
// Prints "<server> peak <MiB>" lines.
// Usage: node bench/preamble_memory.mjs <zoci_inspect_probe> <clangd>
import { execFileSync } from 'node:child_process';
import { mkdtempSync, readFileSync, rmSync, writeFileSync } from 'node:fs';
import { tmpdir } from 'node:os';
import { join, resolve } from 'node:path';
import { pathToFileURL } from 'node:url';

import { Session, generatedSource } from './lsp_latency.mjs';

const kFiles = 8;
const kChecks = '-*,modernize-use-nullptr,modernize-use-override,modernize-use-auto,modernize-use-equals-default,' +
  'modernize-use-default-member-init,readability-braces-around-statements,readability-implicit-bool-conversion,' +
  'performance-for-range-copy,bugprone-branch-clone';

function ourPeakKib(probe, files) {
  const output = execFileSync(probe, [files[0], '2', kChecks, ...files.slice(1)], { encoding: 'utf8' });
  return Number(/peak-kib (\d+)/.exec(output)[1]);
}

async function clangdPeakKib(clangd, folder, files) {
  const session = new Session(clangd, ['--clang-tidy', '--log=error'], folder);
  await session.start(folder);
  for (const file of files) {
    const uri = pathToFileURL(file).href;
    await session.timed(uri, 1, () => session.connection.sendNotification('textDocument/didOpen',
      { textDocument: { uri, languageId: 'cpp', version: 1, text: readFileSync(file, 'utf8') } }));
  }
  const status = readFileSync(`/proc/${session.server.pid}/status`, 'utf8');
  await session.stop();
  return Number(/VmHWM:\s+(\d+)/.exec(status)[1]);
}

async function main() {
  const [probe, clangd] = process.argv.slice(2).map((path) => resolve(path));
  const folder = mkdtempSync(join(tmpdir(), 'zoci-preamble-memory-'));
  try {
    const files = [];
    for (let i = 0; i < kFiles; ++i) {
      files.push(join(folder, `inventory${i}.cpp`));
      writeFileSync(files[i], generatedSource());
    }
    writeFileSync(join(folder, '.clang-tidy'), `Checks: '${kChecks}'\n`);
    writeFileSync(join(folder, 'compile_flags.txt'), '-std=c++17\n');
    console.log(`zoci_inspect_probe peak ${(ourPeakKib(probe, files) / 1024).toFixed(0)} MiB`);
    console.log(`clangd-19 peak ${((await clangdPeakKib(clangd, folder, files)) / 1024).toFixed(0)} MiB`);
  } finally {
    rmSync(folder, { recursive: true, force: true });
  }
}

main().catch((error) => {
  console.error(`preamble_memory: ${error.message}`);
  process.exit(1);
});
