#!/usr/bin/env python3
"""zoci over a whole project against run-clang-tidy-19.

Fetches the Debian source package of libuv (bookworm's libuv1: the library and
its tests), configures it with CMake for its compile database, keeps its first
120 translation units (the library and the first tests; enough for a project's
scale, small enough for CI), and times with the same checks and the same -j:
  BM_ProjectRunClangTidy   run-clang-tidy-19 -p DB -j N
  BM_ProjectZociCold       zoci inspect -p DB -j N, empty result cache
  BM_ProjectZociCached     the same again, nothing changed
  BM_ProjectZociOneEdit    the same after editing one source file
and counts, as BM_ProjectDiagnosticDifferences, the diagnostics in which the
cold run, the cached run and run-clang-tidy disagree (columns compared in
UTF-16 units). Prints "<name> <nanoseconds or count>" lines for bench/ratios;
"<name> skipped" lines, with the reason on the error stream, when the package
cannot be fetched or a tool is missing.

Usage: project_scale.py ZOCI WORK_FOLDER [JOBS]
"""
import json
import os
import re
import shutil
import subprocess
import sys
import time

PACKAGE = "libuv1"
UNITS = 120
CHECKS = "-*,bugprone-*,cert-*,performance-*,readability-*"
NAMES = ["BM_ProjectRunClangTidy", "BM_ProjectZociCold", "BM_ProjectZociCached", "BM_ProjectZociOneEdit",
         "BM_ProjectDiagnosticDifferences"]
DIAGNOSTIC = re.compile(r"^(/[^:]+):(\d+):(\d+): (warning|error): (.*) \[([^\]]+)\]$")


def skip(reason):
    print(f"project benchmark skipped: {reason}", file=sys.stderr)
    for name in NAMES:
        print(name, "skipped")
    sys.exit(0)


def fetch_source(work):
    """The unpacked source folder of PACKAGE below `work`, fetched when missing."""
    for entry in sorted(os.listdir(work)):
        if entry.startswith(PACKAGE + "-") and os.path.isdir(os.path.join(work, entry)):
            return os.path.join(work, entry)
    fetched = subprocess.run(["apt-get", "source", "--download-only", PACKAGE], cwd=work,
                             capture_output=True, text=True)
    tarballs = [f for f in os.listdir(work) if f.startswith(PACKAGE + "_") and ".orig.tar." in f]
    if fetched.returncode != 0 or not tarballs:
        skip(f"cannot fetch the {PACKAGE} source package (no network, or no deb-src entry for bookworm: "
             f"scripts/install-deps adds one): {fetched.stderr.strip()[-300:]}")
    subprocess.run(["tar", "xf", tarballs[0]], cwd=work, check=True)
    return fetch_source(work)


def compile_database(source, work):
    """A folder with the project's compile database, one entry per file (libuv
    builds each library source twice, shared and static)."""
    build = os.path.join(work, "cmake-build")
    subprocess.run(["cmake", "-S", source, "-B", build, "-DCMAKE_EXPORT_COMPILE_COMMANDS=ON",
                    "-DLIBUV_BUILD_TESTS=ON", "-DCMAKE_C_COMPILER=clang-19"],
                   check=True, capture_output=True)
    entries, seen = [], set()
    with open(os.path.join(build, "compile_commands.json")) as f:
        for entry in json.load(f):
            if entry["file"] not in seen:
                seen.add(entry["file"])
                entries.append(entry)
    entries = entries[:UNITS]
    database = os.path.join(work, "db")
    os.makedirs(database, exist_ok=True)
    with open(os.path.join(database, "compile_commands.json"), "w") as f:
        json.dump(entries, f, indent=1)
    return database, [e["file"] for e in entries]


def timed(command, cwd):
    """(nanoseconds, standard output) of one run."""
    start = time.monotonic_ns()
    run = subprocess.run(command, cwd=cwd, capture_output=True)
    elapsed = time.monotonic_ns() - start
    if run.returncode not in (0, 1):
        sys.exit(f"project benchmark: {' '.join(command[:3])} failed ({run.returncode}): "
                 f"{run.stderr.decode(errors='replace')[-2000:]}")
    return elapsed, run.stdout.decode()


def utf16_column(path, line, byte_column):
    """A 1-based byte column of a file's line as a 1-based UTF-16 column."""
    with open(path, "rb") as f:
        text = f.read().split(b"\n")[line - 1]
    prefix = text[:byte_column - 1].decode("utf-8", errors="replace")
    return 1 + sum(2 if ord(c) > 0xFFFF else 1 for c in prefix)


# What the engine drops of the library's MSVC-style arguments on a host whose
# toolchain is not MSVC (engine/compiler_arguments.h); /TC becomes -xc, which
# the GNU driver assumes for a .c file anyway. The reference also goes without
# Microsoft extensions, which the project does not use: with them, clang-tidy-19
# on this system reports includes of other headers as duplicates
# (engine/include_names.h).
DROPPED = re.compile(r"^-extra-arg=(/TC|/TP|-fms-compatibility|-fms-compatibility-version=.*|-m32|-fms-extensions)$")


def library_arguments(zoci, work):
    """The compiler arguments the library adds to every file's own (as an IDE
    gives them), read from the parameters zoci logs for a scratch C file, as
    the engine passes them on to clang's GNU driver."""
    probe = os.path.join(work, "probe")
    shutil.rmtree(probe, ignore_errors=True)
    os.makedirs(probe)
    with open(os.path.join(probe, "probe.c"), "w") as f:
        f.write("int probe;\n")
    subprocess.run([zoci, "inspect", "--no-cache", "--checks=-*,bugprone-*", "--log-dir", probe, "probe.c"],
                   cwd=probe, capture_output=True, check=True)
    parameters = [f for f in os.listdir(probe) if f.endswith(".parameters.txt")]
    with open(os.path.join(probe, parameters[0])) as f:
        lines = f.read().splitlines()
    arguments = [line for line in lines if line.startswith("-extra-arg=") and not DROPPED.match(line)]
    # The probe has no database entry: each file's own standard (libuv's
    # gnu90) comes from the database, to zoci and run-clang-tidy alike.
    return arguments


def tidy_diagnostics(output):
    found = set()
    for line in output.splitlines():
        match = DIAGNOSTIC.match(line)
        if match:
            path, row, column, severity, message, checks = match.groups()
            check = checks.split(",")[0]  # clang-tidy adds the aliases that report it too
            found.add((os.path.normpath(path), int(row), utf16_column(path, int(row), int(column)),
                       severity, message, check))
    return found


def zoci_diagnostics(output, cwd):
    found = set()
    for file in json.loads(output)["files"]:
        for d in file["diagnostics"]:
            start = d["range"]["start"]
            found.add((os.path.normpath(os.path.join(cwd, d["file"])), start["line"], start["column"],
                       d["severity"], d["message"], d["check"]))
    return found


def report_differences(name, ours, theirs):
    """The number of diagnostics only one side has; the first ones and the
    count per side and check on the error stream."""
    differences = sorted(ours ^ theirs)
    counts = {}
    for d in differences:
        side = "only zoci" if d in ours else f"only {name}"
        counts[(side, d[5])] = counts.get((side, d[5]), 0) + 1
    for d in differences[:10]:
        print(f"project benchmark: {'only zoci' if d in ours else 'only ' + name}: {d}", file=sys.stderr)
    for (side, check), count in sorted(counts.items()):
        print(f"project benchmark: {count} {side}: {check}", file=sys.stderr)
    return len(differences)


def main():
    if len(sys.argv) < 3:
        sys.exit(__doc__)
    zoci, work = os.path.abspath(sys.argv[1]), os.path.abspath(sys.argv[2])
    jobs = sys.argv[3] if len(sys.argv) > 3 else str(os.cpu_count())
    for tool in ("run-clang-tidy-19", "clang-tidy-19", "clang-19", "cmake", "apt-get"):
        if not shutil.which(tool):
            skip(f"{tool} is not installed")
    os.makedirs(work, exist_ok=True)
    source = fetch_source(work)
    database, files = compile_database(source, work)
    cache = os.path.join(work, "zoci-cache")
    shutil.rmtree(cache, ignore_errors=True)
    # Both tools get the header filter on the command line: the work folder
    # may lie below a .clang-tidy whose HeaderFilterRegex (this repository's,
    # under build/) would hide the project's headers from one side only.
    zoci_command = [zoci, "inspect", "-p", database, "-j", jobs, f"--checks={CHECKS}", "--header-filter=.*",
                    "--cache-dir", cache, "--format", "json", "--quiet"]

    # The same engine command line as the library's: its own compiler
    # arguments, and every header outside the system folders inspected.
    tidy_command = ["run-clang-tidy-19", "-p", database, "-j", jobs, "-quiet", "-header-filter=.*",
                    "-clang-tidy-binary", shutil.which("clang-tidy-19"), f"-checks={CHECKS}"]
    tidy_time, tidy_out = timed(tidy_command + library_arguments(zoci, work), source)
    cold_time, cold_out = timed(zoci_command, source)
    cached_time, cached_out = timed(zoci_command, source)
    edited = files[len(files) // 2]
    with open(edited, "rb") as f:
        original = f.read()
    try:
        with open(edited, "ab") as f:
            f.write(b"\n/* edited */\n")
        edit_time, _ = timed(zoci_command, source)
    finally:
        with open(edited, "wb") as f:
            f.write(original)

    cold = zoci_diagnostics(cold_out, source)
    differences = report_differences("run-clang-tidy", cold, tidy_diagnostics(tidy_out))
    if cached_out != cold_out:
        print("project benchmark: the cached run printed another report than the cold run", file=sys.stderr)
        differences += max(1, len(cold ^ zoci_diagnostics(cached_out, source)))
    print(f"project benchmark: {len(files)} translation units, {len(cold)} diagnostics, -j {jobs}",
          file=sys.stderr)
    for name, value in zip(NAMES, [tidy_time, cold_time, cached_time, edit_time, differences]):
        print(name, value)


if __name__ == "__main__":
    main()
