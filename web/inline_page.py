#!/usr/bin/env python3
"""Writes the page as one file: the style sheet and the scripts index.html
names are put inside it, each allowed by its hash in the page's
Content-Security-Policy in place of 'self'. A page that fetches nothing but
its module before it can start draws its first frame sooner: each file
fetched is a request, a response and a wait before the next step.

    inline_page.py TEMPLATE OUTPUT FILE...

Each stylesheet link and script element in TEMPLATE must name one of the
FILEs (by its base name); nothing else is changed."""
import base64
import hashlib
import os
import re
import sys


def fail(why):
    sys.exit("inline_page.py: " + why)


def csp_hash(text):
    digest = hashlib.sha256(text.encode("utf-8")).digest()
    return "'sha256-" + base64.b64encode(digest).decode("ascii") + "'"


def main(template_path, output_path, paths):
    files = {}
    for path in paths:
        with open(path, encoding="utf-8") as f:
            files[os.path.basename(path)] = f.read()

    def contents(name, closing):
        if name not in files:
            fail(f"{template_path} names {name}, which was not given")
        text = files[name]
        # The text ends the element at its first closing tag, whatever the
        # script meant by it.
        if closing in text.lower():
            fail(f"{name} holds {closing}")
        return text

    with open(template_path, encoding="utf-8") as f:
        page = f.read()
    hashes = {"script": [], "style": []}

    def style(match):
        text = contents(match.group(1), "</style")
        hashes["style"].append(csp_hash(text))
        return "<style>" + text + "</style>"

    def script(match):
        text = contents(match.group(1), "</script")
        hashes["script"].append(csp_hash(text))
        return "<script>" + text + "</script>"

    page = re.sub(r'<link rel="stylesheet" href="([^"]+)">', style, page)
    page = re.sub(r'<script src="([^"]+)"></script>', script, page)
    for kind, allowed in hashes.items():
        directive = f"{kind}-src 'self'"
        if allowed and directive not in page:
            fail(f"{template_path} has no \"{directive}\" to put the hashes in")
        page = page.replace(directive, f"{kind}-src " + " ".join(allowed))
    with open(output_path, "w", encoding="utf-8") as f:
        f.write(page)


if __name__ == "__main__":
    if len(sys.argv) < 3:
        fail("usage: inline_page.py TEMPLATE OUTPUT FILE...")
    main(sys.argv[1], sys.argv[2], sys.argv[3:])
