"""korvidctl.1 from the texts users already read: the README's korvidctl
section (its prose, and its usage block, which is korvidctl --help) and
each command's --help as the program prints it."""
import re
import subprocess

SECTION = "## korvidctl"
# Subsections of that section written for developers: left out of the manual.
DEVELOPER_SUBSECTIONS = ("### The real device path on Linux, in tests",)


def readme_section(readme_text):
    """The lines of the README's korvidctl section, without its heading and
    its DEVELOPER_SUBSECTIONS."""
    lines = readme_text.splitlines()
    start = lines.index(SECTION) + 1
    end = next((i for i in range(start, len(lines)) if lines[i].startswith("## ")), len(lines))
    kept = []
    for_users = True
    for line in lines[start:end]:
        if line.startswith("### "):
            for_users = line not in DEVELOPER_SUBSECTIONS
        if for_users:
            kept.append(line)
    return kept


def escape(text):
    """Plain text for roff: backslashes, minus signs, and a leading dot or quote."""
    text = text.replace("\\", "\\e").replace("-", "\\-")
    text = "".join(c if ord(c) < 128 else f"\\[u{ord(c):04X}]" for c in text)
    return "\\&" + text if text[:1] in (".", "'") else text


def inline(text):
    """A Markdown paragraph line: `code` in bold, the rest plain."""
    parts = re.split(r"`([^`]*)`", text)
    out = ""
    for number, part in enumerate(parts):
        out += f"\\fB{escape(part)}\\fR" if number % 2 else escape(part)
    return "\\&" + out if out[:1] in (".", "'") else out


def literal(lines):
    return [".PP", ".nf", ".RS 2"] + [escape(line) for line in lines] + [".RE", ".fi"]


def markdown_to_roff(lines):
    """Paragraphs (joined, so that a code span may cross a line end), code
    blocks and ### headings."""
    roff = []
    code = None
    paragraph = []

    def flush():
        if paragraph:
            roff.extend([".PP", inline(" ".join(paragraph))])
            paragraph.clear()

    for line in lines:
        if line.startswith("```"):
            flush()
            if code is None:
                code = []
            else:
                roff.extend(literal(code))
                code = None
        elif code is not None:
            code.append(line)
        elif line.startswith("### "):
            flush()
            roff.append(".SS " + escape(line[4:]))
        elif not line.strip():
            flush()
        else:
            paragraph.append(line.strip())
    flush()
    return roff


def help_text(korvidctl, *args):
    return subprocess.run([korvidctl, *args], capture_output=True, text=True, check=True).stdout


def commands(usage):
    """The command names korvidctl --help lists: the first word of each line
    of its "Commands:" list that starts in the list's own column."""
    names = []
    listing = False
    for line in usage.splitlines():
        if line == "Commands:":
            listing = True
        elif listing and not line.strip():
            break
        elif listing and re.match(r"  [a-z]", line):
            names.append(line.split()[0])
    return names


def make_manpage(korvidctl, readme_text, version):
    roff = [
        f'.TH KORVIDCTL 1 "" "korvidctl {version}" "User Commands"',
        ".SH NAME",
        "korvidctl \\- read, change and write the Korvid mouse's configuration",
        ".SH SYNOPSIS",
        ".B korvidctl",
        "[\\fB\\-\\-emulator\\fR \\fIDIR\\fR] [\\fB\\-\\-verbose\\fR] [\\fB\\-\\-no\\-lock\\fR] \\fICOMMAND\\fR [\\fIARGS\\fR]",
        ".SH DESCRIPTION",
    ]
    roff += markdown_to_roff(readme_section(readme_text))
    roff.append(".SH COMMANDS")
    for command in commands(help_text(korvidctl, "--help")):
        text = help_text(korvidctl, command, "--help").rstrip("\n").splitlines()
        roff.append(".SS " + escape(command))
        roff += literal(text)
    roff += [".SH SEE ALSO", "\\fBudev\\fR(7), \\fBudevadm\\fR(8)", ""]
    return "\n".join(roff)
