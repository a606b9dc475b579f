#!/usr/bin/env python3
"""Writes the Public Suffix List as a C++ table for cleaning/PublicSuffix.cpp.

Usage: make-suffix-table.py LIST OUTPUT

Every rule goes in as its labels in ASCII (an internationalised label in its
"xn--" form), lowercase, sorted, so the program finds a rule by binary search.
A wildcard rule keeps its "*." and an exception its "!".
"""
import sys


def ascii_label(label):
    if label.isascii():
        return label.lower()
    return "xn--" + label.lower().encode("punycode").decode("ascii")


def rules(lines):
    for line in lines:
        rule = line.split()[0] if line.strip() else ""
        if not rule or rule.startswith("//"):
            continue
        mark = "!" if rule.startswith("!") else ""
        yield mark + ".".join(ascii_label(label) for label in rule.lstrip("!").split("."))


def main():
    source, output = sys.argv[1], sys.argv[2]
    with open(source, encoding="utf-8") as f:
        table = sorted(set(rules(f)))
    with open(output, "w", encoding="ascii") as f:
        f.write("// Made by scripts/make-suffix-table.py from %s; not edited by hand.\n" % source)
        for rule in table:
            f.write('"%s",\n' % rule)


if __name__ == "__main__":
    main()
