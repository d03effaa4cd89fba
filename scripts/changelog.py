#!/usr/bin/env python3
# SPDX-License-Identifier: GPL-3.0-or-later
"""Makes the package's changelog and the software centres' release notes from CHANGELOG.md.

  changelog.py debian CHANGELOG.md OUT --version V --maintainer "Name <address>"
      the Debian changelog (to be compressed with gzip -9n)
  changelog.py metainfo CHANGELOG.md TEMPLATE OUT --version V
      the AppStream metainfo: the template's line holding @RELEASES@ becomes
      one <release> element per version

The newest version in CHANGELOG.md must be the one being built (--version),
so that no release goes out without its entry.
"""
import argparse
import datetime
import email.utils
import pathlib
import re
import sys
import textwrap
from xml.sax.saxutils import escape

HEADING = re.compile(r"^## (\S+) \((\d{4}-\d{2}-\d{2})\)\s*$")


class Release:
    def __init__(self, version, date):
        self.version = version
        self.date = date
        self.changes = []


def read(path):
    releases = []
    for number, line in enumerate(pathlib.Path(path).read_text(encoding="utf-8").splitlines(), 1):
        heading = HEADING.match(line)
        if heading:
            releases.append(Release(heading.group(1), datetime.date.fromisoformat(heading.group(2))))
        elif line.startswith("## "):
            sys.exit(f"{path}:{number}: a version heading is '## <version> (<yyyy-mm-dd>)'")
        elif not releases or not line.strip():
            continue
        elif line.startswith("- "):
            releases[-1].changes.append(line[2:].strip())
        elif releases[-1].changes:
            releases[-1].changes[-1] += " " + line.strip()
        else:
            sys.exit(f"{path}:{number}: a change starts with '- '")
    if not releases:
        sys.exit(f"{path}: no version in it")
    for release in releases:
        if not release.changes:
            sys.exit(f"{path}: version {release.version} lists no change")
    return releases


def plain(text):
    return text.replace("`", "")


def debian(releases, package, maintainer):
    out = []
    for release in releases:
        out.append(f"{package} ({release.version}) unstable; urgency=medium")
        out.append("")
        for change in release.changes:
            out.extend(textwrap.wrap(plain(change), width=78, initial_indent="  * ", subsequent_indent="    ",
                                     break_long_words=False, break_on_hyphens=False))
        noon = datetime.datetime.combine(release.date, datetime.time(12), datetime.timezone.utc)
        out.append("")
        out.append(f" -- {maintainer}  {email.utils.format_datetime(noon)}")
        out.append("")
    return "\n".join(out[:-1]) + "\n"


def metainfo(releases, template):
    lines = []
    for release in releases:
        lines.append(f'    <release version="{release.version}" date="{release.date.isoformat()}">')
        lines.append("      <description>")
        lines.append("        <ul>")
        for change in release.changes:
            lines.append(f"          <li>{escape(plain(change))}</li>")
        lines.append("        </ul>")
        lines.append("      </description>")
        lines.append("    </release>")
    text = pathlib.Path(template).read_text(encoding="utf-8")
    marker = re.compile(r"^[ \t]*@RELEASES@[ \t]*\n", re.MULTILINE)
    if not marker.search(text):
        sys.exit(f"{template}: no line holding @RELEASES@")
    return marker.sub(lambda _: "\n".join(lines) + "\n", text, count=1)


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("kind", choices=["debian", "metainfo"])
    parser.add_argument("changelog")
    parser.add_argument("files", nargs="+", help="debian: OUT; metainfo: TEMPLATE OUT")
    parser.add_argument("--version", required=True)
    parser.add_argument("--package", default="radadir")
    parser.add_argument("--maintainer")
    args = parser.parse_args()

    releases = read(args.changelog)
    if releases[0].version != args.version:
        sys.exit(f"{args.changelog}: the newest version is {releases[0].version}, "
                 f"the program's is {args.version}: add its changes first")
    if args.kind == "debian":
        if len(args.files) != 1 or not args.maintainer:
            parser.error("debian needs OUT and --maintainer")
        text = debian(releases, args.package, args.maintainer)
    else:
        if len(args.files) != 2:
            parser.error("metainfo needs TEMPLATE and OUT")
        text = metainfo(releases, args.files[0])
    pathlib.Path(args.files[-1]).write_text(text, encoding="utf-8")


if __name__ == "__main__":
    main()
