#!/usr/bin/env bash
# zoci under hostile or unlucky input, one case per run: links, ownership,
# FIFOs and devices, size limits, files named twice, odd UTF-16 byte counts,
# texts the library reads differently, missing folders, and language-server
# messages nested too deeply or changes that cannot apply, and a source of
# many diagnostics within a time and memory limit. Each case passes
# (0), fails (1) or is skipped where the machine cannot stage it (77).
# Usage: reliability.sh ZOCI CASE
set -uo pipefail
export LC_ALL=C
zoci=$(realpath "$1")
case_name=$2
work=$(mktemp -d)
chmod 755 "$work"
trap 'rm -rf "$work"' EXIT
cd "$work" || exit 1
export XDG_CACHE_HOME="$work/.cache"  # the default result cache: the case's own
checks=--checks=-*,modernize-use-nullptr
null_source='int* p = 0;\n'
null_fixed='int* p = nullptr;'

fail() { echo "FAIL [$case_name]: $*"; echo "--- stdout"; cat out 2>/dev/null; echo "--- stderr"; cat err 2>/dev/null; exit 1; }
skip() { echo "SKIP [$case_name]: $*"; exit 77; }
# Runs zoci with a time limit; its exit code in $rc, its streams in out and err.
run() { timeout 30 "$zoci" "$@" >out 2>err; rc=$?; [ $rc -ne 124 ] || fail "zoci $* did not finish within 30 s"; }
expect_rc() { [ "$rc" -eq "$1" ] || fail "exit code $rc, expected $1"; }
expect_err() { grep -qF -- "$1" err || fail "standard error lacks '$1'"; }
expect_entries() { [ "$(ls | wc -l)" -eq "$1" ] || fail "a temporary file was left: $(ls | tr '\n' ' ')"; }
expect_content() { [ "$(cat "$1")" = "$2" ] || fail "$1 holds '$(cat "$1")', expected '$2'"; }
source_file() { printf "$null_source" >"$1"; }

# A language-server session: each argument is one message body; the
# server's answers in out.
frame() { printf 'Content-Length: %d\r\n\r\n%s' "${#1}" "$1"; }
lsp() {
  local body
  for body in "$@"; do frame "$body"; done >in
  timeout 30 "$zoci" lsp "${lsp_flags[@]}" <in >out 2>err; rc=$?
  [ $rc -ne 124 ] || fail "zoci lsp did not finish within 30 s"
}
lsp_flags=("$checks")
initialize='{"jsonrpc":"2.0","id":1,"method":"initialize","params":{}}'
shutdown='{"jsonrpc":"2.0","id":99,"method":"shutdown"}'
exit_message='{"jsonrpc":"2.0","method":"exit"}'
expect_out() { grep -qF -- "$1" out || fail "the server's answers lack '$1'"; }

case $case_name in
  symlink)
    source_file target.cpp && ln -s target.cpp link.cpp
    run fix "$checks" link.cpp; expect_rc 0
    [ -L link.cpp ] || fail "the link was replaced by a file"
    expect_entries 4  # the two names, out and err
    expect_content target.cpp "$null_fixed" ;;
  hardlink)
    # Mode and extended attributes need no root (the owner does: owner-mode-xattr).
    source_file a.cpp && chmod 640 a.cpp && ln a.cpp b.cpp
    command -v setfattr >/dev/null && setfattr -n user.origin -v kept a.cpp 2>/dev/null && xattr=1
    run fix "$checks" a.cpp; expect_rc 0
    [ a.cpp -ef b.cpp ] || fail "the hard link was split"
    expect_entries 4
    expect_content b.cpp "$null_fixed"
    [ "$(stat -c %a a.cpp)" = 640 ] || fail "mode lost: $(stat -c %a a.cpp)"
    [ -z "${xattr:-}" ] || [ "$(getfattr --only-values -n user.origin a.cpp 2>/dev/null)" = kept ] || fail "extended attribute lost" ;;
  owner-mode-xattr)
    [ "$(id -u)" -eq 0 ] || skip "needs root to give the file another owner"
    source_file a.cpp && chown 65534:65534 a.cpp && chmod 640 a.cpp
    command -v setfattr >/dev/null && setfattr -n user.origin -v kept a.cpp 2>/dev/null && xattr=1
    run fix "$checks" a.cpp; expect_rc 0
    expect_content a.cpp "$null_fixed"
    [ "$(stat -c '%u:%g %a' a.cpp)" = "65534:65534 640" ] || fail "owner or mode lost: $(stat -c '%u:%g %a' a.cpp)"
    [ -z "${xattr:-}" ] || [ "$(getfattr --only-values -n user.origin a.cpp 2>/dev/null)" = kept ] || fail "extended attribute lost" ;;
  unprivileged-owner)
    # A user fixing a file another user owns and lets the group write.
    [ "$(id -u)" -eq 0 ] && command -v setpriv >/dev/null || skip "needs root and setpriv to act as another user"
    chmod 1777 "$work"
    source_file a.cpp && chgrp 65534 a.cpp && chmod 664 a.cpp
    timeout 30 setpriv --reuid=65534 --regid=65534 --clear-groups "$zoci" fix "$checks" a.cpp >out 2>err; rc=$?
    grep -q "cannot open shared object\|Permission denied.*zoci" err && skip "the build is not readable by another user"
    expect_rc 0
    expect_content a.cpp "$null_fixed"
    [ "$(stat -c '%u:%g' a.cpp)" = "0:65534" ] || fail "owner changed to $(stat -c '%u:%g' a.cpp)" ;;
  fifo)
    mkfifo f.cpp
    run inspect "$checks" f.cpp; expect_rc 2; expect_err "f.cpp: it is a FIFO" ;;
  fifo-include)
    mkfifo f.h && source_file a.cpp
    run inspect "$checks" -include f.h a.cpp; expect_rc 2; expect_err "f.h: it is a FIFO"
    printf '#include "f.h"\n' >b.cpp
    run inspect "$checks" b.cpp; expect_rc 1; grep -q "f.h" out || fail "the include of a FIFO is not reported" ;;
  device)
    run inspect "$checks" /dev/zero; expect_rc 2; expect_err "it is a device" ;;
  process-substitution)
    source_file a.cpp
    run inspect "$checks" <(cat a.cpp); expect_rc 2; expect_err "regular files only" ;;
  size-limit)
    head -c 2000000 /dev/zero | tr '\0' ' ' >big.cpp
    run inspect "$checks" --max-file-size 1 big.cpp; expect_rc 2; expect_err "source size limit of 1 MiB"
    timeout 30 "$zoci" inspect "$checks" --max-file-size 1 --stdin-buffer a.cpp </dev/zero >out 2>err; rc=$?
    expect_rc 2; expect_err "standard input: it is larger" ;;
  named-twice)
    source_file a.cpp && ln -s a.cpp link.cpp
    run fix "$checks" a.cpp ./a.cpp link.cpp; expect_rc 0
    expect_content a.cpp "$null_fixed"
    ! grep -q "changed on disk" err || fail "a file named twice conflicts with itself" ;;
  odd-utf16)
    printf '\xff\xfei\0n\0t\0*\0 \0p\0 \0=\0 \0000\0;\0\n\0\x7f' >a.cpp
    run fix "$checks" a.cpp; expect_rc 0
    [ "$(tail -c 3 a.cpp | od -An -tx1 | tr -d ' \n')" = "0a007f" ] || fail "the odd last byte was lost" ;;
  misread)
    printf '// \xed\xa0\x80\nint* p = 0;\n' >a.cpp && cp a.cpp before.cpp
    run fix "$checks" a.cpp; expect_rc 2; expect_err "not written: its positions were counted in another reading of it than zoci's"
    cmp -s a.cpp before.cpp || fail "a file read differently was written"
    # The engine reads an ANSI file's own bytes with --no-convert: positions after the 0xE9 are off.
    printf '// caf\xe9\nint* p = 0;\n' >b.cpp && cp b.cpp before.cpp
    run fix "$checks" --no-convert b.cpp; expect_rc 2; expect_err "read by the engine unconverted (--no-convert)"
    cmp -s b.cpp before.cpp || fail "a file the engine read unconverted was written" ;;
  missing-folders)
    source_file a.cpp
    run inspect "$checks" --temp-dir "$work/none" a.cpp; expect_rc 2; expect_err "--temp-dir $work/none is not a folder"
    mkdir -p db/compile_commands.json
    run inspect "$checks" -p db a.cpp; expect_rc 2; expect_err "db/compile_commands.json: it is a folder"
    lsp_flags=("$checks" --temp-dir "$work/none")
    lsp "$initialize" "$exit_message"; expect_out "is not a folder" ;;
  lsp-nested-json)
    nested=$(printf '%*s' 100000 '' | tr ' ' '[')$(printf '%*s' 100000 '' | tr ' ' ']')
    lsp "$nested" "{\"jsonrpc\":\"2.0\",\"id\":2,\"method\":\"x\",\"params\":${nested}}" "$initialize" "$shutdown" "$exit_message"
    expect_rc 0; expect_out '"code":-32700'; expect_out '"id":1,"jsonrpc":"2.0","result"' ;;
  lsp-backwards-change)
    open='{"jsonrpc":"2.0","method":"textDocument/didOpen","params":{"textDocument":{"uri":"file:///w/a.cpp","languageId":"cpp","version":1,"text":"int* p = 0;\n"}}}'
    change='{"jsonrpc":"2.0","method":"textDocument/didChange","params":{"textDocument":{"uri":"file:///w/a.cpp","version":2},"contentChanges":[{"range":{"start":{"line":0,"character":9},"end":{"line":0,"character":2}},"text":"x"}]}}'
    lsp "$initialize" "$open" "$change" "$shutdown" "$exit_message"
    expect_rc 0; expect_out '"window/showMessage"'; expect_out "ends before it starts" ;;
  large-line)
    # A 128 KB line with 8,000 fixes (the engine's own work on one line grows
    # faster than the line): fixed within a minute, each fix adding little
    # memory to what a file with one fix takes.
    [ -x /usr/bin/time ] || skip "needs GNU time to measure memory"
    export ASAN_OPTIONS="${ASAN_OPTIONS:+$ASAN_OPTIONS:}quarantine_size_mb=16"
    # AddressSanitizer's checks take several times as long, and its redzones
    # and shadow memory about as much memory again.
    limit=60 bound=6144; if grep -q __asan_init "$zoci"; then limit=240 bound=16384; fi
    # Runs zoci like run, its peak resident set in kilobytes in $kb.
    measured() { timeout $limit /usr/bin/time -f %M -o rss "$zoci" "$@" >out 2>err; rc=$?
                 [ $rc -ne 124 ] || fail "zoci $* did not finish within $limit s"; kb=$(tail -1 rss); }
    source_file one.cpp
    measured fix "$checks" one.cpp; expect_rc 0; one=$kb
    awk 'BEGIN { for (i = 0; i < 8000; i++) printf "int* q%05d = 0;", i; print "" }' >line.cpp
    measured fix "$checks" line.cpp; expect_rc 0; many=$kb
    [ "$(grep -o nullptr line.cpp | wc -l)" -eq 8000 ] || fail "not every fix was applied"
    per_fix=$(( (many - one) * 1024 / 8000 ))
    [ "$per_fix" -le "$bound" ] || fail "each fix took $per_fix bytes (peak $many KB against $one KB for one fix)" ;;
  *)
    echo "unknown case '$case_name'"; exit 2 ;;
esac
echo "PASS [$case_name]"
