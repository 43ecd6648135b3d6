#!/usr/bin/env python3
"""Prints the command of a desktop entry's Exec key as a desktop runs it: one word after
another, each ended by a NUL byte.

    desktop-exec.py FILE.desktop

The value is unescaped twice, as the desktop entry format asks: first as a string (a doubled
backslash is one backslash), then as a command line (words split at spaces outside double
quotes; inside them a backslash makes the next ", `, $ or backslash plain).
"""
import sys


def words(command):
    out, word, quoted, started, i = [], "", False, False, 0
    while i < len(command):
        c = command[i]
        if quoted and c == "\\" and i + 1 < len(command) and command[i + 1] in '"`$\\':
            word += command[i + 1]
            i += 2
            continue
        if c == '"':
            quoted, started = not quoted, True
        elif c == " " and not quoted:
            if word or started:
                out.append(word)
            word, started = "", False
        else:
            word += c
        i += 1
    if quoted:
        sys.exit("unbalanced double quote in Exec")
    if word or started:
        out.append(word)
    return out


def main():
    for line in open(sys.argv[1], encoding="utf-8"):
        if line.startswith("Exec="):
            value = line[len("Exec="):].rstrip("\n").replace("\\\\", "\\")
            sys.stdout.write("".join(word + "\0" for word in words(value)))
            return
    sys.exit("no Exec key")


if __name__ == "__main__":
    main()
