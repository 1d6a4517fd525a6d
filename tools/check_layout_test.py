#!/usr/bin/env python3
"""tools/check_layout.py on small made-up trees. Run by
tools/ci/checks/10-layout.sh before the check of the real tree."""

import os
import shutil
import subprocess
import sys
import tempfile
import unittest

CHECK = os.path.join(os.path.dirname(os.path.abspath(__file__)),
                     "check_layout.py")


class Tree:
    """A source tree in a temporary folder (not a git checkout)."""

    def __init__(self, files):
        self.root = tempfile.mkdtemp()
        for path, text in files.items():
            full = os.path.join(self.root, path)
            os.makedirs(os.path.dirname(full), exist_ok=True)
            with open(full, "w", encoding="utf-8") as out:
                out.write(text)

    def check(self, *arguments):
        run = subprocess.run([sys.executable, CHECK, *arguments, self.root],
                             capture_output=True, text=True)
        return run.returncode, run.stdout

    def close(self):
        shutil.rmtree(self.root)


def includes(*names):
    return "".join(f'#include "{name}"\n' for name in names)


class IncludeChecks(unittest.TestCase):
    def check(self, files, *arguments):
        tree = Tree(files)
        try:
            return tree.check(*arguments)
        finally:
            tree.close()

    def test_a_clean_tree_passes(self):
        # A .cpp including its own header, a header beside it by its short
        # name, rooms included downwards and from third_party/.
        status, output = self.check({
            "gif/reader.h": includes("platform/bytes.h"),
            "gif/reader.cpp": includes("gif/reader.h", "records.h"),
            "gif/records.h": "",
            "gif2frm/run.cpp": includes("gif/reader.h", "web/page.h"),
            "web/page.h": includes("third_party/lib/lib.h"),
            "platform/bytes.h": "",
            "third_party/lib/lib.h": "",
            "tests/reader_test.cpp": includes("gif2frm/run.h"),
        })
        self.assertEqual(status, 0, output)

    def test_a_circle_of_three_units_is_printed(self):
        status, output = self.check({
            "gif/a.cpp": includes("gif/a.h", "gif/b.h"),
            "gif/a.h": "",
            "gif/b.cpp": includes("gif/c.h"),
            "gif/b.h": "",
            "gif/c.h": includes("gif/a.h"),
        })
        self.assertEqual(status, 1)
        self.assertIn("gif/a -> gif/b -> gif/c -> gif/a", output)

    def test_rooms_and_outside_code(self):
        status, output = self.check({
            "gif/a.cpp": includes("gif2frm/run.h"),
            "gif2frm/run.h": "",
            "platform/p.cpp": includes("color/palette.h"),
            "color/palette.h": "",
            "frm/f.cpp": includes("tests/support.h"),
            "tests/support.h": "",
            "misc/m.cpp": "",
        })
        self.assertEqual(status, 1)
        self.assertIn("gif/a.cpp includes gif2frm/run.h: room formats", output)
        self.assertIn("platform/p.cpp includes color/palette.h", output)
        self.assertIn("frm/f.cpp includes tests/support.h, which is not "
                      "product code", output)
        self.assertIn("folder misc/ is in no room", output)
        self.assertIn("4 problem(s)", output)


@unittest.skipUnless(shutil.which("g++") and shutil.which("nm"),
                     "needs g++ and nm")
class CallChecks(unittest.TestCase):
    def build(self, tree, sources):
        """Compiles sources where CMake would put their objects."""
        build = os.path.join(tree.root, "build")
        for source in sources:
            target = os.path.join(build, "CMakeFiles", "core.dir",
                                  source + ".o")
            os.makedirs(os.path.dirname(target), exist_ok=True)
            subprocess.run(["g++", "-c", "-I", tree.root,
                            os.path.join(tree.root, source), "-o", target],
                           check=True)
        return build

    def test_units_that_call_each_other(self):
        # No include circle: each .cpp declares what it calls itself.
        tree = Tree({
            "gif/a.cpp": "int b();\nint a(int n) { return n ? b() : 0; }\n",
            "gif/b.cpp": "int a(int);\nint b() { return a(0); }\n",
            "gif/c.cpp": "int a(int);\nint c() { return a(1); }\n",
        })
        try:
            build = self.build(tree, ["gif/a.cpp", "gif/b.cpp", "gif/c.cpp"])
            status, output = tree.check("--objects", build)
        finally:
            tree.close()
        self.assertEqual(status, 1)
        self.assertIn("units call each other in a circle: gif/a -> gif/b -> "
                      "gif/a", output)
        self.assertNotIn("gif/c ->", output)

    def test_calls_one_way_pass(self):
        tree = Tree({
            "gif/a.cpp": "int b();\nint a() { return b(); }\n",
            "gif/b.cpp": "int b() { return 1; }\n",
        })
        try:
            build = self.build(tree, ["gif/a.cpp", "gif/b.cpp"])
            status, output = tree.check("--objects", build)
        finally:
            tree.close()
        self.assertEqual(status, 0, output)
        self.assertIn("2 objects", output)


if __name__ == "__main__":
    unittest.main()
