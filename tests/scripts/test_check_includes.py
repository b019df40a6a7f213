#!/usr/bin/env python3
"""scripts/check-includes over small trees made here, and over a copy of the program's own
main window with one call planted that runs back up."""
import os
import shutil
import subprocess
import sys
import tempfile
import unittest

HERE = os.path.dirname(os.path.abspath(__file__))
REPO = os.path.normpath(os.path.join(HERE, "..", ".."))
SCRIPT = os.path.join(REPO, "scripts", "check-includes")


def run(root, *extra):
    p = subprocess.run([sys.executable, SCRIPT, "--root", root, *extra],
                       capture_output=True, text=True)
    return p.returncode, p.stdout, p.stderr


class Tree:
    """A tree of sources: {path: [included paths]}."""

    def __init__(self, files, back_edges=()):
        self.dir = tempfile.TemporaryDirectory()
        self.root = self.dir.name
        for path, incs in files.items():
            self.write(path, incs)
        os.makedirs(os.path.join(self.root, "scripts"))
        self.list_back_edges(back_edges)

    def write(self, path, incs):
        full = os.path.join(self.root, path)
        os.makedirs(os.path.dirname(full), exist_ok=True)
        with open(full, "w", encoding="utf-8") as f:
            f.write("#pragma once\n" + "".join(f'#include "{i}"\n' for i in incs))

    def list_back_edges(self, lines):
        with open(os.path.join(self.root, "scripts", "feature-back-edges.txt"), "w") as f:
            f.write("# known\n" + "".join(l + "\n" for l in lines))


# Three features on three floors: c uses b, b uses a.
LAYERED = {
    "mainwindow/a/AInterface.h": [],
    "mainwindow/a/A.cpp": ["mainwindow/a/AInterface.h"],
    "mainwindow/b/BInterface.h": [],
    "mainwindow/b/B.cpp": ["mainwindow/b/BInterface.h", "mainwindow/a/AInterface.h"],
    "mainwindow/c/C.cpp": ["mainwindow/b/BInterface.h", "mainwindow/WindowContext.h"],
    "mainwindow/WindowContext.h": [],
}


class CheckIncludes(unittest.TestCase):
    def test_layered_features_pass_and_print_their_floors(self):
        t = Tree(LAYERED)
        rc, out, err = run(t.root)
        self.assertEqual(rc, 0, err)
        self.assertIn("features that reach each other: none", out)
        self.assertIn("floor 0: a\n  floor 1: b\n  floor 2: c\n", out)
        self.assertIn("known back edges: 0", out)

    def test_a_call_back_up_fails_unless_listed(self):
        files = dict(LAYERED)
        files["mainwindow/a/A.cpp"] = ["mainwindow/c/CInterface.h"]
        files["mainwindow/c/CInterface.h"] = []
        t = Tree(files)
        rc, out, err = run(t.root)
        self.assertEqual(rc, 1)
        self.assertIn("{a b c}", out)
        self.assertIn("(e) features reach each other", err)
        self.assertIn("a -> c -> b -> a", err)
        # Listed as a known back edge, the same tree passes; the floors stand without it.
        t.list_back_edges(["a -> c"])
        rc, out, err = run(t.root)
        self.assertEqual(rc, 0, err)
        self.assertIn("known back edges: 1; without them the features stand on 3 floors", out)
        # A second arrow back up is new: it fails although the first is listed.
        t.write("mainwindow/a/A2.cpp", ["mainwindow/b/BInterface.h"])
        rc, out, err = run(t.root)
        self.assertEqual(rc, 1)
        self.assertIn("a -> b -> a", err)

    def test_a_listed_edge_that_is_gone_fails(self):
        t = Tree(LAYERED, back_edges=["a -> c"])
        rc, out, err = run(t.root)
        self.assertEqual(rc, 1)
        self.assertIn("gone, delete the line from scripts/feature-back-edges.txt: a -> c", err)

    def test_a_shared_header_stands_for_the_features_it_includes(self):
        files = dict(LAYERED)
        # a includes a shared header of the frame that includes c's interface: a uses c.
        files["mainwindow/Shared.h"] = ["mainwindow/c/CInterface.h"]
        files["mainwindow/c/CInterface.h"] = []
        files["mainwindow/a/A.cpp"] = ["mainwindow/Shared.h"]
        t = Tree(files)
        rc, out, err = run(t.root)
        self.assertEqual(rc, 1)
        self.assertIn("a -> c -> b -> a", err)

    def test_suggest_names_a_smallest_set_of_back_edges(self):
        files = {
            "mainwindow/a/A.cpp": ["mainwindow/b/BInterface.h", "mainwindow/c/CInterface.h"],
            "mainwindow/b/BInterface.h": ["mainwindow/c/CInterface.h"],
            "mainwindow/c/CInterface.h": ["mainwindow/a/AInterface.h"],
            "mainwindow/a/AInterface.h": [],
        }
        t = Tree(files)
        rc, out, err = run(t.root, "--suggest")
        self.assertEqual(rc, 1)
        # a->b, a->c, b->c, c->a: cutting c->a alone leaves no cycle.
        self.assertIn("a smallest set of back edges: 1\nc -> a\n", out)

    def test_the_program_passes_and_a_planted_back_call_fails(self):
        with tempfile.TemporaryDirectory() as root:
            shutil.copytree(os.path.join(REPO, "mainwindow"), os.path.join(root, "mainwindow"))
            shutil.copytree(os.path.join(REPO, "scripts"), os.path.join(root, "scripts"))
            rc, out, err = run(root)
            self.assertEqual(rc, 0, err)
            # The launch card stands low; the key map uses it. Make it call the key map back.
            with open(os.path.join(root, "mainwindow", "launch", "LaunchCard.cpp"), "a") as f:
                f.write('#include "mainwindow/keyboard/KeyboardInterface.h"\n')
            rc, out, err = run(root)
            self.assertEqual(rc, 1)
            self.assertIn("launch -> keyboard", err)


if __name__ == "__main__":
    unittest.main()
