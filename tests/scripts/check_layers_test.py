#!/usr/bin/env python3
"""The layer check against small trees: what it must pass and each fault it must name."""

import os
import sys
import tempfile
import unittest

sys.path.insert(0, os.path.join(os.path.dirname(__file__), "..", "..", "scripts"))
import check_layers  # noqa: E402


def tree(files):
    root = tempfile.mkdtemp()
    for path, includes in files.items():
        os.makedirs(os.path.join(root, os.path.dirname(path)), exist_ok=True)
        with open(os.path.join(root, path), "w") as source:
            source.write("".join(f"#include {name}\n" for name in includes))
    return root


# A page over the services, the kit and pure logic, composed by app/.
GOOD = {
    "ui/controls.h": ["<QWidget>"],
    "ui/text_string.h": [],
    "link/commands.h": [],
    "database/row_text.h": ['"ui/text_string.h"'],
    "shell/status_line.cpp": ['"ui/controls.h"'],
    "database/table_editor.cpp": ['"shell/status_line.h"', '"database/row_text.h"'],
    "traffic/message_reader.cpp": ['"ui/controls.h"', '"link/commands.h"'],
    "app/main_loop.cpp": ['"database/table_editor.h"', '"traffic/message_reader.h"'],
}
for path in list(GOOD):
    if path.endswith(".cpp"):
        GOOD.setdefault(path[:-4] + ".h", [])


class CheckLayersTest(unittest.TestCase):
    def faults_with(self, changes):
        files = dict(GOOD)
        files.update(changes)
        return check_layers.faults(tree(files))

    def test_a_layered_tree_passes(self):
        self.assertEqual(self.faults_with({}), [])

    def test_a_loop_between_files_is_named(self):
        found = self.faults_with({"database/row_text.cpp": ['"database/table_editor.h"'],
                                  "database/table_editor.h": ['"database/row_text.h"']})
        self.assertTrue(any("loop" in fault and "database/row_text" in fault
                            and "database/table_editor" in fault for fault in found), found)

    def test_folders_that_include_each_other_are_a_loop_though_no_files_are(self):
        # Plain code may use another subsystem's plain code, but only of a lower tier.
        found = self.faults_with({"traffic/upload.h": ['"analysis/lines.h"'],
                                  "analysis/lines.h": [],
                                  "analysis/view.h": ['"traffic/reader.h"'],
                                  "traffic/reader.h": []})
        self.assertIn("include loop between folders: analysis, traffic", found)
        self.assertFalse(any("between files" in fault for fault in found), found)

    def test_plain_code_including_a_higher_tier_fails(self):
        found = self.faults_with({"traffic/rules.h": ['"database/row_text.h"']})
        self.assertEqual(len(found), 1, found)
        self.assertIn("traffic/rules", found[0])

    def test_one_page_including_another_fails(self):
        found = self.faults_with({"traffic/message_reader.cpp": ['"ui/controls.h"',
                                                             '"database/table_editor.h"']})
        self.assertIn("traffic/message_reader", " ".join(found))

    def test_a_service_including_a_page_fails(self):
        found = self.faults_with({"shell/status_line.cpp": ['"ui/controls.h"',
                                                            '"traffic/message_reader.h"']})
        self.assertIn("shell/status_line", " ".join(found))

    def test_pure_logic_including_qt_through_another_file_is_window_side(self):
        # row_text now reaches Qt, so the pure code of sim/ that includes it fails.
        found = self.faults_with({"database/row_text.h": ['"ui/controls.h"'],
                                  "sim/device.cpp": ['"database/row_text.h"']})
        self.assertIn("sim/device", " ".join(found))

    def test_a_new_folder_is_one_line_of_the_table(self):
        folders = dict(check_layers.FOLDERS, samples=(3, "program", None))
        original, check_layers.FOLDERS = check_layers.FOLDERS, folders
        try:
            found = self.faults_with({"sim/sample_generator.h": [],
                                      "samples/main.cpp": ['"database/row_text.h"',
                                                           '"sim/sample_generator.h"',
                                                           '"app/main_loop.h"']})
        finally:
            check_layers.FOLDERS = original
        self.assertEqual(len(found), 1, found)
        self.assertIn("samples/main", found[0])


if __name__ == "__main__":
    unittest.main()
