"""The man pages and the bash completion against what they describe: kodra(1) and the
completion against `kodra --help` and each `kodra SUBCOMMAND --help`, kodra32(3) against
codec/exports.txt and the declarations of kodra32.h."""
import os
import pathlib
import re
import shlex
import shutil
import subprocess
import unittest

BINARY = os.environ.get("KODRA_BINARY", "kodra")
SOURCE_DIR = pathlib.Path(os.environ.get("KODRA_SOURCE_DIR", pathlib.Path(__file__).resolve().parents[2]))
MAN_DIR = SOURCE_DIR / "docs" / "man"
COMPLETION = SOURCE_DIR / "packaging" / "completion" / "kodra"
OPTION = re.compile(r"(?<![\w-])(--?[A-Za-z][\w-]*)")


def help_text(*args):
    result = subprocess.run([BINARY, *args, "--help"], capture_output=True, text=True, timeout=30)
    if result.returncode != 0:
        raise AssertionError(f"kodra {' '.join(args)} --help exited {result.returncode}: {result.stderr}")
    return result.stdout


def help_block(text, title):
    """The entries of one block of CLI11's help ("OPTIONS:", "SUBCOMMANDS:"): the first
    column of each indented line."""
    entries, inside = [], False
    for line in text.splitlines():
        if line.strip().endswith(":") and not line.startswith(" "):
            inside = line.strip().rstrip(":").upper() == title
            continue
        if inside and re.match(r"  \S", line):  # deeper lines continue an entry
            entries.append(re.split(r"\s{2,}", line.strip())[0])
    return entries


def option_names(text):
    """Every option name of a help text's OPTIONS block (both spellings of "-y,--yes")."""
    names = set()
    for entry in help_block(text, "OPTIONS"):
        first = entry.split()[0]
        names.update(name for name in first.split(",") if name.startswith("-"))
    return names


def subcommands():
    names = [entry.split()[0] for entry in help_block(help_text(), "SUBCOMMANDS")]
    if not names:
        raise AssertionError("kodra --help lists no subcommands")
    return names


def plain_roff(path):
    """The page's lines without comments, font changes and escaped hyphens."""
    lines = []
    for line in path.read_text(encoding="utf-8").splitlines():
        if line.startswith('.\\"'):
            continue
        line = re.sub(r"\\f[BIRP]|\\f\[[A-Z]*\]|\\&|\\~", "", line).replace("\\-", "-")
        lines.append(line)
    return lines


def sections(lines, marker):
    """Lines grouped under each heading of the kind marker (".SH" or ".SS"), by heading text."""
    grouped, current = {}, None
    for line in lines:
        if line.startswith(marker + " "):
            current = " ".join(shlex.split(line[len(marker) + 1:]))
            grouped[current] = []
        elif line.startswith(".SH ") and marker == ".SS":
            current = None
        elif current is not None:
            grouped[current].append(line)
    return grouped


class CommandPage(unittest.TestCase):
    @classmethod
    def setUpClass(cls):
        cls.page = plain_roff(MAN_DIR / "kodra.1")
        cls.top = sections(cls.page, ".SH")
        cls.subsections = sections(cls.top.get("SUBCOMMANDS", []), ".SS")
        cls.commands = subcommands()
        cls.options = {name: option_names(help_text(name)) for name in cls.commands}

    def test_every_subcommand_has_a_subsection_and_no_other_one(self):
        self.assertEqual(sorted(self.subsections), sorted(self.commands))

    def test_every_option_is_described_under_its_subcommand(self):
        for name in self.commands:
            text = "\n".join(self.subsections.get(name, []))
            described = set(OPTION.findall(text))
            for option in self.options[name] - {"-h", "--help"}:
                self.assertIn(option, described, f"kodra {name} {option} is not in kodra(1)")

    def test_no_option_is_described_that_the_subcommand_lacks(self):
        for name in self.commands:
            described = set(OPTION.findall("\n".join(self.subsections.get(name, []))))
            self.assertLessEqual(described, self.options[name], f"kodra(1) under {name}")

    def test_global_options(self):
        described = set(OPTION.findall("\n".join(self.top.get("GLOBAL OPTIONS", []))))
        self.assertEqual(described, option_names(help_text()))

    def test_examples_use_real_subcommands_and_options(self):
        examples = [line for line in self.top.get("EXAMPLES", []) if re.match(r"\$ .*\bkodra ", line)]
        self.assertTrue(examples)
        for line in examples:
            words = shlex.split(line.split("kodra ", 1)[1].split("|")[0])
            self.assertIn(words[0], self.commands, line)
            for option in (word for word in words[1:] if word.startswith("-")):
                self.assertIn(option, self.options[words[0]], line)

    def test_every_exit_status_is_explained(self):
        codes = re.findall(r"=\s*(\d+)\s*,", (SOURCE_DIR / "cli" / "exit_codes.h").read_text())
        self.assertTrue(codes)
        explained = re.findall(r"^\.B (\d+)$", "\n".join(self.top.get("EXIT STATUS", [])), re.M)
        self.assertEqual(sorted(explained), sorted(codes))


class Completion(unittest.TestCase):
    def setUp(self):
        self.script = COMPLETION.read_text(encoding="utf-8")

    def test_every_subcommand(self):
        listed = re.search(r'local subcommands="([^"]*)"', self.script).group(1).split()
        self.assertEqual(sorted(listed), sorted(subcommands()))

    def test_every_option_of_each_subcommand(self):
        for name in subcommands():
            found = re.search(rf'^\s*{name}\) options="([^"]*)"', self.script, re.M)
            self.assertIsNotNone(found, f"no options listed for {name}")
            self.assertEqual(set(found.group(1).split()), option_names(help_text(name)) - {"-h"}, name)

    @unittest.skipUnless(shutil.which("bash"), "no bash")
    def test_script_parses(self):
        result = subprocess.run(["bash", "-n", str(COMPLETION)], capture_output=True, text=True)
        self.assertEqual(result.returncode, 0, result.stderr)


def exported_names():
    names = []
    for line in (SOURCE_DIR / "codec" / "exports.txt").read_text().splitlines():
        line = line.strip()
        if line and not line.startswith("#"):
            names.append(line)
    return names


def squeezed(text):
    return re.sub(r"\s+", "", text)


def header_prototypes():
    """Name -> declaration without KODRA_API, KODRA_CALL and spaces."""
    header = (SOURCE_DIR / "codec" / "include" / "kodra32.h").read_text()
    found = {}
    for result, name, arguments in re.findall(r"KODRA_API\s+([\w\s*]+?)\s*KODRA_CALL\s*(\w+)\s*\(([^)]*)\)\s*;", header):
        found[name] = squeezed(f"{result}{name}({arguments})")
    return found


def synopsis_prototypes(lines):
    """Name -> declaration of each .BI prototype in the SYNOPSIS, joined over its lines."""
    found, pending = {}, ""
    for line in sections(lines, ".SH").get("SYNOPSIS", []):
        if not line.startswith(".BI "):
            continue
        pending += "".join(shlex.split(line[4:]))
        if pending.rstrip().endswith(";"):
            name = re.search(r"(\w+)\s*\(", pending).group(1)
            found[name] = squeezed(pending.rstrip().rstrip(";"))
            pending = ""
    return found


class LibraryPage(unittest.TestCase):
    @classmethod
    def setUpClass(cls):
        cls.page = plain_roff(MAN_DIR / "kodra32.3")
        cls.exports = exported_names()
        cls.header = header_prototypes()
        cls.synopsis = synopsis_prototypes(cls.page)

    def test_every_export_is_declared_in_the_header(self):
        for name in self.exports:
            self.assertIn(name, self.header)

    def test_synopsis_lists_exactly_the_exports_as_declared(self):
        self.assertEqual(sorted(self.synopsis), sorted(self.exports))
        for name in self.exports:
            self.assertEqual(self.synopsis[name], self.header.get(name), name)

    def test_every_export_has_a_subsection(self):
        headings = sections(sections(self.page, ".SH").get("DESCRIPTION", []), ".SS")
        described = {word for heading in headings for word in re.findall(r"\w+", heading)}
        for name in self.exports:
            self.assertIn(name, described, f"{name} has no subsection in kodra32(3)")


@unittest.skipUnless(shutil.which("man"), "no man")
class Formatting(unittest.TestCase):
    def test_pages_format_without_warnings(self):
        # The check lintian makes of installed pages.
        env = dict(os.environ, LC_ALL="C.UTF-8", MANROFFSEQ="", MANWIDTH="80")
        for page in ("kodra.1", "kodra32.3"):
            result = subprocess.run(["man", "--warnings", "-E", "UTF-8", "-l", "-Tutf8", "-Z", str(MAN_DIR / page)],
                                    capture_output=True, text=True, env=env, timeout=60)
            self.assertEqual(result.returncode, 0, result.stderr)
            self.assertEqual(result.stderr, "", page)


if __name__ == "__main__":
    unittest.main()
