#!/usr/bin/env python3
"""Plant small faults in the portable core, one at a time, and count how many the tests catch.

Each fault is one changed line in a .cpp file of tags/, playlist/, settings/, tools/, wizards/ or
window/ (never a win32/ folder; platform/posix with --with-platform):
  - a turned operator: == and !=, < and <=, > and >=, && and ||, + and -
  - a bound moved by one: an integer literal n becomes n+1 (not the length of a declared array, a
    memset fill byte or a reserve() hint: those size storage and give the same program)
  - a removed check: an `if (...) return/break/continue ...;` line deleted or its condition negated
  - an early return: such a line made unconditional, or `return true;` and `return false;` swapped
For each fault the native test build is rebuilt incrementally (faults that do not compile are
skipped and replaced by the next one), tdcore_tests runs with a time limit (and the interop checks
with --with-interop; built with AddressSanitizer and UndefinedBehaviorSanitizer with --sanitize, as
the CI's sanitize step runs it), and the file is put back as it was, also when the run is interrupted.
A failing or timed-out run counts as caught; the survivors are listed as file, line and change.

Run from the top of a worktree:
  export CCACHE_BASEDIR=/work
  python3 scripts/mutation_sample.py --count 100 --seed 1
  python3 scripts/mutation_sample.py --count 150 --seed 1 --sanitize --with-interop   # all CI would see
  python3 scripts/mutation_sample.py --count 20 --seed 7 --dry-run     # only list the planned faults
  python3 scripts/mutation_sample.py --count 40 --only tags/id3v2      # only files under a path
  python3 scripts/mutation_sample.py --count 150 --by-test   # which tests catch faults, which never do
  python3 scripts/mutation_sample.py --faults before.log     # the same faults again, e.g. after a test cut
The build folder (default build/mutation, build/mutation-sanitize with --sanitize) is configured on
first use. The same seed gives the same faults as long as the sources do not change. This is a
measuring tool, too slow for every change: it is not part of CI; run it before closing work on the
core and quote its figure.
"""

import argparse
import os
import random
import re
import signal
import subprocess
import sys
import time
from collections import OrderedDict

CORE_FOLDERS = ["tags", "playlist", "settings", "tools", "wizards", "window"]
PLATFORM_FOLDERS = ["platform", "platform/posix"]
INTEROP_TESTS = "interop|file_safety"
FAILED_TEST = re.compile(r"^\[  FAILED  \] ([\w/]+\.[\w/]+)", re.M)


class Mutation:
    def __init__(self, path, line_no, kind, new_line, change, original):
        self.path = path          # relative to the source root
        self.line_no = line_no    # 1-based
        self.kind = kind
        self.new_line = new_line  # replacement text of the whole line (without newline)
        self.change = change
        self.original = original

    def folder(self, deep=False):
        parts = self.path.split("/")
        return "/".join(parts[:-1]) if deep else parts[0]

    def describe(self):
        return "%s:%d: %s   | %s" % (self.path, self.line_no, self.change, self.original.strip())


# --- finding the candidate lines ---------------------------------------------------------------

def mask_line(line, in_block_comment):
    """Returns the line with comments and the insides of string and character literals blanked,
    so that operators and numbers are only found in code, and whether a block comment is open at
    the end of the line."""
    out = []
    i = 0
    n = len(line)
    while i < n:
        if in_block_comment:
            end = line.find("*/", i)
            if end < 0:
                out.append(" " * (n - i))
                return "".join(out), True
            out.append(" " * (end + 2 - i))
            i = end + 2
            in_block_comment = False
            continue
        c = line[i]
        if line.startswith("//", i):
            out.append(" " * (n - i))
            break
        if line.startswith("/*", i):
            in_block_comment = True
            out.append("  ")
            i += 2
            continue
        if c == 'R' and line.startswith('R"', i):
            # Raw strings over one line only; longer ones are left alone by skipping the line.
            close = line.find(')"', i)
            if close < 0:
                return " " * n, in_block_comment
            out.append(" " * (close + 2 - i))
            i = close + 2
            continue
        if c in "\"'":
            # A quote right after a digit is a digit separator (1'000).
            if c == "'" and i > 0 and line[i - 1].isalnum():
                out.append(c)
                i += 1
                continue
            j = i + 1
            while j < n and line[j] != c:
                j += 2 if line[j] == "\\" else 1
            out.append(c + " " * (min(j, n) - i - 1) + (c if j < n else ""))
            i = j + 1
            continue
        out.append(c)
        i += 1
    return "".join(out)[:n], in_block_comment


WIN_MACROS = re.compile(r"\b(_WIN32|_WIN64|_MSC_VER|WIN32)\b")


def native_lines(lines):
    """Marks the lines the native (non-Windows) build compiles: everything except the Windows
    branches of #if/#ifdef blocks. Unknown conditions count as compiled."""
    stack = []  # per open #if: "win" (Windows branch), "native" (the other branch) or "unknown"
    active = []
    for line in lines:
        s = line.strip()
        is_pp = s.startswith("#")
        if is_pp:
            d = s[1:].strip()
            if d.startswith("ifdef") or d.startswith("ifndef") or (d.startswith("if") and not d.startswith("ifn")):
                if WIN_MACROS.search(d):
                    negated = d.startswith("ifndef") or "!defined" in d.replace(" ", "") or "!_WIN" in d.replace(" ", "")
                    only_macro = "&&" not in d and "||" not in d
                    if only_macro:
                        stack.append("native" if negated else "win")
                    else:
                        stack.append("unknown")
                else:
                    stack.append("unknown")
            elif d.startswith("elif"):
                if stack:
                    stack[-1] = "unknown"
            elif d.startswith("else"):
                if stack and stack[-1] in ("win", "native"):
                    stack[-1] = "native" if stack[-1] == "win" else "win"
            elif d.startswith("endif"):
                if stack:
                    stack.pop()
        active.append(not is_pp and "win" not in stack)
    return active


CHECK_LINE = re.compile(r"^(\s*)if\s*\((.*)\)\s*(return\b[^;]*|break|continue)\s*;\s*$")
INT_LITERAL = re.compile(r"(?<![\w.'])(\d+)(?![\w.'])")
OPERATORS = [
    (re.compile(r"(?<=[^=!<>])==(?!=)"), "==", "!="),
    (re.compile(r"!=(?!=)"), "!=", "=="),
    (re.compile(r"(?<=\s)<=(?=\s)"), "<=", "<"),
    (re.compile(r"(?<=\s)<(?=\s)"), "<", "<="),
    (re.compile(r"(?<=\s)>=(?=\s)"), ">=", ">"),
    (re.compile(r"(?<=\s)>(?=\s)"), ">", ">="),
    (re.compile(r"(?<=\s)&&(?=\s)"), "&&", "||"),
    (re.compile(r"(?<=\s)\|\|(?=\s)"), "||", "&&"),
    (re.compile(r"(?<=\s)\+(?=\s)"), "+", "-"),
    (re.compile(r"(?<=\s)-(?=\s)"), "-", "+"),
]


def balanced(text):
    depth = 0
    for c in text:
        if c == "(":
            depth += 1
        elif c == ")":
            depth -= 1
            if depth < 0:
                return False
    return depth == 0


def skip_line(masked):
    s = masked.strip()
    if not s or s in ("{", "}", "};"):
        return True
    if re.search(r"\b(operator|static_assert|template|#include|namespace)\b", s):
        return True
    if s.startswith("#"):
        return True
    return False


ARRAY_DECLARATOR = re.compile(
    r"^\s*(static\s+|const\s+|constexpr\s+)*(?!(return|delete|case|throw|goto|else|do)\b)"
    r"([\w:<>]+[\s*]+)+(const\s+)?\w+(?P<dims>(\[\s*\d+\s*\])+)")
NOT_LOGIC = re.compile(r"\bmemset\s*\(")
CAPACITY_HINT = re.compile(r"\.reserve\s*\(")


def literal_is_logic(masked, start, end):
    """False for numbers that size storage rather than steer the code: a length of a declared
    array (every dimension), a fill byte or a capacity hint. Changing those gives the same program."""
    if NOT_LOGIC.search(masked):
        return False
    m = ARRAY_DECLARATOR.match(masked)
    if m and m.start("dims") < start < m.end():
        return False
    return True


def mutations_for_line(path, line_no, line, masked):
    if CAPACITY_HINT.search(masked):
        return []
    found = []
    # A check whose condition sits on one line.
    m = CHECK_LINE.match(masked)
    if m and balanced(m.group(2)):
        indent = m.group(1)
        cond_start = masked.index("(", len(indent))
        cond_end = masked.rindex(")", 0, m.start(3))
        cond = line[cond_start + 1:cond_end]
        action = line[m.start(3):].rstrip()
        found.append(Mutation(path, line_no, "removed check", indent + "// (check removed)",
                              "check removed", line))
        found.append(Mutation(path, line_no, "removed check",
                              line[:cond_start] + "(!(" + cond + "))" + line[cond_end + 1:],
                              "condition negated", line))
        if action.startswith("return"):
            found.append(Mutation(path, line_no, "early return", indent + "if (true) " + action,
                                  "return taken always", line))
    for word, other in (("true", "false"), ("false", "true")):
        rm = re.search(r"\breturn\s+%s\s*;" % word, masked)
        if rm:
            new = line[:rm.start()] + line[rm.start():rm.end()].replace(word, other) + line[rm.end():]
            found.append(Mutation(path, line_no, "early return", new,
                                  "return %s -> return %s" % (word, other), line))
    for pattern, old, new in OPERATORS:
        for om in pattern.finditer(masked):
            col = om.start()
            new_line = line[:col] + new + line[col + len(old):]
            found.append(Mutation(path, line_no, "operator", new_line,
                                  "'%s' -> '%s' (col %d)" % (old, new, col + 1), line))
    for nm in INT_LITERAL.finditer(masked):
        value = int(nm.group(1), 8 if nm.group(1).startswith("0") and len(nm.group(1)) > 1 else 10) \
            if re.fullmatch(r"0[0-7]*|[1-9]\d*", nm.group(1)) else None
        if value is None or not literal_is_logic(masked, nm.start(), nm.end()):
            continue
        col = nm.start()
        new_line = line[:col] + str(value + 1) + line[nm.end():]
        found.append(Mutation(path, line_no, "bound", new_line,
                              "%s -> %d (col %d)" % (nm.group(1), value + 1, col + 1), line))
    return found


def source_files(root, folders, only):
    files = []
    for folder in folders:
        base = os.path.join(root, folder)
        if not os.path.isdir(base):
            continue
        recurse = folder != "platform"
        for dirpath, dirnames, filenames in os.walk(base):
            dirnames[:] = sorted(d for d in dirnames if d != "win32") if recurse else []
            for name in sorted(filenames):
                if name.endswith(".cpp"):
                    rel = os.path.relpath(os.path.join(dirpath, name), root)
                    if not only or any(rel.startswith(o.rstrip("/")) for o in only):
                        files.append(rel)
    return sorted(set(files))


def candidates(root, files):
    out = []
    for rel in files:
        with open(os.path.join(root, rel), encoding="utf-8", errors="surrogateescape") as f:
            lines = f.read().split("\n")
        compiled = native_lines(lines)
        in_comment = False
        for idx, line in enumerate(lines):
            masked, in_comment_after = mask_line(line, in_comment)
            started_in_comment = in_comment
            in_comment = in_comment_after
            if started_in_comment or not compiled[idx] or skip_line(masked):
                continue
            out.extend(mutations_for_line(rel, idx + 1, line, masked))
    return out


FAULT_LINE = re.compile(r"([\w./-]+\.cpp):(\d+): (.*?)   \| ")


def listed_faults(all_candidates, listing):
    """The candidates named in a listing (lines as this script prints them: path:line: change | code),
    in the listing's order, so that the faults of an earlier run can be tried again after the tests
    changed. Names that no longer match the sources are reported and skipped."""
    by_key = {(m.path, m.line_no, m.change): m for m in all_candidates}
    chosen, seen = [], set()
    with open(listing, encoding="utf-8", errors="replace") as f:
        for line in f:
            fm = FAULT_LINE.search(line)
            if not fm:
                continue
            key = (fm.group(1), int(fm.group(2)), fm.group(3))
            if key in seen:
                continue
            seen.add(key)
            if key in by_key:
                chosen.append(by_key[key])
            else:
                print("no longer in the sources: %s:%d: %s" % key)
    return chosen


def plan(all_candidates, seed):
    """The candidates in a seeded random order, at most one fault per line. Lines are drawn
    first and then one change on the line, so long lines do not crowd out short ones."""
    by_line = OrderedDict()
    for m in all_candidates:
        by_line.setdefault((m.path, m.line_no), []).append(m)
    rng = random.Random(seed)
    keys = list(by_line.keys())
    rng.shuffle(keys)
    return [rng.choice(by_line[k]) for k in keys]


# --- building and running ----------------------------------------------------------------------

class Interrupted(Exception):
    pass


def on_signal(signum, frame):
    raise Interrupted()


def run(cmd, cwd, env, timeout):
    """Runs a command in its own process group; returns (exit code or None on timeout, output)."""
    proc = subprocess.Popen(cmd, cwd=cwd, env=env, stdout=subprocess.PIPE, stderr=subprocess.STDOUT,
                            start_new_session=True)
    try:
        out, _ = proc.communicate(timeout=timeout)
        return proc.returncode, out.decode("utf-8", "replace")
    except subprocess.TimeoutExpired:
        os.killpg(proc.pid, signal.SIGKILL)
        proc.communicate()
        return None, ""
    except BaseException:
        try:
            os.killpg(proc.pid, signal.SIGKILL)
        except ProcessLookupError:
            pass
        proc.communicate()
        raise


class Runner:
    def __init__(self, args, root):
        self.args = args
        self.root = root
        self.build = os.path.abspath(os.path.join(root, args.build_dir))
        self.env = dict(os.environ)
        self.env.setdefault("CCACHE_BASEDIR", "/work")
        self.targets = ["tdcore_tests"]
        if args.with_interop:
            self.targets += ["tunedeck"]

    def configure(self):
        if os.path.exists(os.path.join(self.build, "build.ninja")):
            return
        code, out = run(["cmake", "-S", self.root, "-B", self.build, "-G", "Ninja",
                         "-DCMAKE_BUILD_TYPE=RelWithDebInfo", "-DTD_BUILD_BENCH=OFF",
                         "-DTD_SANITIZE=%s" % ("ON" if self.args.sanitize else "OFF")],
                        self.root, self.env, None)
        if code != 0:
            sys.exit("configure failed:\n" + out)

    def build_tests(self):
        code, out = run(["ninja", "-C", self.build, "-j%d" % self.args.jobs] + self.targets,
                        self.root, self.env, self.args.build_timeout)
        return code == 0, out

    def run_tests(self):
        """(True when the tests pass, the names of the failing tests)."""
        binary = os.path.join(self.build, "tests", "tdcore_tests")
        command = [binary, "--gtest_brief=1"]
        if not self.args.by_test:
            command.append("--gtest_fail_fast")  # one failing test is enough to count the fault
        code, out = run(command, os.path.dirname(binary), self.env, self.args.timeout)
        if code != 0:
            failed = sorted(set(FAILED_TEST.findall(out))) if code is not None else ["(timed out)"]
            failed = failed or ["(crashed)"]
            return False, failed
        if self.args.with_interop:
            code, _ = run(["ctest", "--test-dir", self.build, "-R", INTEROP_TESTS, "--timeout",
                           str(self.args.timeout)], self.build, self.env, self.args.timeout * 8)
            if code != 0:
                return False, ["(interop checks)"]
        return True, []

    def test_names(self):
        binary = os.path.join(self.build, "tests", "tdcore_tests")
        _, out = run([binary, "--gtest_list_tests"], os.path.dirname(binary), self.env, self.args.timeout)
        names, suite = [], ""
        for line in out.splitlines():
            if not line.strip() or line.startswith("Running main"):
                continue
            if not line.startswith(" "):
                suite = line.split()[0]
            else:
                names.append(suite + line.split()[0])
        return names


def write_file(path, data):
    with open(path, "wb") as f:
        f.write(data)
    now = time.time_ns()
    os.utime(path, ns=(now, now))


def main():
    parser = argparse.ArgumentParser(description=__doc__.split("\n")[0])
    parser.add_argument("--count", type=int, help="faults to test (default 100, or all listed with --faults)")
    parser.add_argument("--seed", type=int, default=1, help="random seed (default 1)")
    parser.add_argument("--dry-run", action="store_true", help="list the planned faults and stop")
    parser.add_argument("--build-dir", help="native build folder (default build/mutation[-sanitize])")
    parser.add_argument("--jobs", type=int, default=2, help="ninja -j (default 2)")
    parser.add_argument("--timeout", type=int, default=60, help="seconds per test run (default 60)")
    parser.add_argument("--build-timeout", type=int, default=900, help="seconds per rebuild")
    parser.add_argument("--with-interop", action="store_true", help="also run the interop checks")
    parser.add_argument("--sanitize", action="store_true",
                        help="build with AddressSanitizer and UndefinedBehaviorSanitizer (an over-read counts)")
    parser.add_argument("--with-platform", action="store_true", help="also mutate platform/ (posix side)")
    parser.add_argument("--faults", metavar="FILE",
                        help="try the faults listed in FILE (the output of an earlier run) instead of a sample")
    parser.add_argument("--only", action="append", default=[], help="only files under this path")
    parser.add_argument("--by-subfolder", action="store_true", help="figures per subfolder (tags/id3v2, ...)")
    parser.add_argument("--by-test", action="store_true",
                        help="also list how many faults each test caught, and the tests that caught none")
    parser.add_argument("-v", "--verbose", action="store_true", help="print each compile error")
    args = parser.parse_args()

    root = os.path.abspath(os.path.join(os.path.dirname(os.path.abspath(__file__)), ".."))
    args.build_dir = args.build_dir or ("build/mutation-sanitize" if args.sanitize else "build/mutation")
    folders = CORE_FOLDERS + (PLATFORM_FOLDERS if args.with_platform else [])
    files = source_files(root, folders, args.only)
    if args.faults:
        planned = listed_faults(candidates(root, files), args.faults)
        args.count = args.count or len(planned)
    else:
        planned = plan(candidates(root, files), args.seed)
        args.count = args.count or 100
    print("%d files, %d lines with a possible fault" % (len(files), len(planned)))

    if args.dry_run:
        for i, m in enumerate(planned[:args.count]):
            print("%3d  [%s] %s" % (i + 1, m.kind, m.describe()))
        print("(a fault that does not compile is replaced by the next one in the same order)")
        return 0

    signal.signal(signal.SIGINT, signal.default_int_handler)
    signal.signal(signal.SIGTERM, on_signal)
    signal.signal(signal.SIGHUP, on_signal)
    runner = Runner(args, root)
    runner.configure()
    ok, out = runner.build_tests()
    if not ok:
        sys.exit("the unmodified tree does not build:\n" + out[-4000:])
    started = time.time()
    if not runner.run_tests()[0]:
        sys.exit("the tests fail on the unmodified tree; fix that first")
    print("baseline passes (%.0f s)" % (time.time() - started))

    results = []  # (mutation, caught)
    catches = {}  # test name -> faults it failed for
    not_compiling = 0
    interrupted = False
    tested = 0
    for m in planned:
        if tested >= args.count:
            break
        path = os.path.join(root, m.path)
        with open(path, "rb") as f:
            original = f.read()
        try:
            lines = original.decode("utf-8", "surrogateescape").split("\n")
            lines[m.line_no - 1] = m.new_line
            write_file(path, "\n".join(lines).encode("utf-8", "surrogateescape"))
            ok, out = runner.build_tests()
            if not ok:
                not_compiling += 1
                if args.verbose:
                    print("  does not compile: " + m.describe())
                continue
            tested += 1
            passed, failed = runner.run_tests()
            caught = not passed
            results.append((m, caught))
            for name in failed:
                catches[name] = catches.get(name, 0) + 1
            print("%3d/%d %-10s %s" % (tested, args.count, "caught" if caught else "SURVIVED", m.describe()),
                  flush=True)
            if args.by_test and failed:
                print("          by " + " ".join(failed), flush=True)
        except (KeyboardInterrupt, Interrupted):
            interrupted = True
            print("\ninterrupted; the file is put back")
            break
        finally:
            write_file(path, original)

    report(results, not_compiling, interrupted, args.by_subfolder)
    if args.by_test:
        report_tests(catches, runner.test_names())
    return 130 if interrupted else 0


def report(results, not_compiling, interrupted, deep):
    per_folder = OrderedDict()
    for m, caught in sorted(results, key=lambda r: r[0].folder(deep)):
        c, n = per_folder.get(m.folder(deep), (0, 0))
        per_folder[m.folder(deep)] = (c + (1 if caught else 0), n + 1)
    print("\nCaught per folder%s:" % (" (partial run)" if interrupted else ""))
    for folder, (c, n) in per_folder.items():
        print("  %-24s %3d/%-3d %3.0f%%" % (folder, c, n, 100.0 * c / n))
    total = len(results)
    caught = sum(1 for _, c in results if c)
    if total:
        print("  %-24s %3d/%-3d %3.0f%%" % ("total", caught, total, 100.0 * caught / total))
    print("  (%d planned faults did not compile and were replaced)" % not_compiling)
    survivors = [m for m, c in results if not c]
    print("\nNot caught (%d):" % len(survivors))
    for m in sorted(survivors, key=lambda m: (m.path, m.line_no)):
        print("  " + m.describe())


def report_tests(catches, names):
    print("\nFaults caught per test:")
    for name, n in sorted(catches.items(), key=lambda kv: (-kv[1], kv[0])):
        print("  %3d  %s" % (n, name))
    never = [name for name in names if name not in catches]
    print("\nTests that caught none (%d of %d):" % (len(never), len(names)))
    for name in never:
        print("  " + name)


if __name__ == "__main__":
    sys.exit(main())
