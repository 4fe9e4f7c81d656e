#!/usr/bin/env python3
"""Finds two generator draws whose order C++ leaves open.

A replay plays back only if every build draws from the generator in the same
order. C++ fixes no order among a call's arguments nor among the operands of
+, *, <, ==, ..., so two draws there may come out either way round
(Spawn(RandInt(..), RandInt(..)) draws y first in one compiler, x first in
another). This script reads the game's sources, learns which functions draw
(RandInt, RandFloat, RandReal and, by name, every function that calls one),
and reports each argument list or operator with draws on two unsequenced
sides. Statements, declarators, &&, ||, ?:, assignments and the comma
operator all fix their order and are left alone.

usage: tools/check_draw_order.py [DIR...]   (default: the game, benchmark and test folders)
Exits 1 and lists the places when it finds any.
"""
import os
import re
import sys

ROOT = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
DEFAULT_DIRS = ["app", "frontend", "enemies", "playfield", "services", "platform", "bench", "tests"]
BASE_DRAWS = {"RandInt", "RandFloat", "RandReal", "SeedRandom"}
KEYWORDS = {"if", "for", "while", "switch", "return", "sizeof", "catch", "decltype",
            "static_assert", "alignof", "noexcept", "requires"}

TOKEN = re.compile(r"""
    (?P<ws>\s+)
  | (?P<name>[A-Za-z_]\w*)
  | (?P<num>\.?\d[\w.']*(?:[eEpP][+-]\d+)?\w*)
  | (?P<op>::|->\*?|\+\+|--|<<=|>>=|<=>|&&|\|\||[-+*/%^&|<>=!]=|<<|>>|\.\.\.|.)
""", re.X | re.S)


def strip(text):
    """Blanks comments, strings, characters and preprocessor lines (lines kept)."""
    out, i, n = [], 0, len(text)
    at_line_start = True
    while i < n:
        c = text[i]
        if at_line_start and c == "#":
            j = i
            while j < n and (text[j] != "\n" or text[j - 1] == "\\"):
                j += 1
            out.append(re.sub(r"[^\n]", " ", text[i:j]))
            i = j
            continue
        if text.startswith("//", i):
            j = text.find("\n", i)
            j = n if j < 0 else j
            out.append(" " * (j - i))
            i = j
            continue
        if text.startswith("/*", i):
            j = text.find("*/", i + 2)
            j = n if j < 0 else j + 2
            out.append(re.sub(r"[^\n]", " ", text[i:j]))
            i = j
            continue
        m = re.match(r'R"([^(]*)\(', text[i:i + 20])
        if m:
            end = text.find(")" + m.group(1) + '"', i)
            j = n if end < 0 else end + len(m.group(1)) + 2
            out.append('""' + re.sub(r"[^\n]", " ", text[i + 2:j]))
            i = j
            continue
        if c in "\"'":
            j = i + 1
            while j < n and text[j] != c:
                j += 2 if text[j] == "\\" else 1
            out.append(c + " " * (j - i - 1) + c)
            i = j + 1
            continue
        if not c.isspace():
            at_line_start = False
        if c == "\n":
            at_line_start = True
        out.append(c)
        i += 1
    return "".join(out)


def tokens(text):
    line = 1
    for m in TOKEN.finditer(text):
        kind = m.lastgroup
        if kind != "ws":
            yield kind, m.group(), line
        line += m.group().count("\n")


class Node:
    """A bracketed group: its opener and the tokens and groups inside."""
    def __init__(self, opener, line):
        self.opener, self.line, self.items = opener, line, []


def tree(toks):
    root = Node("{", 0)
    stack = [root]
    for kind, text, line in toks:
        if text in "({[":
            node = Node(text, line)
            stack[-1].items.append(node)
            stack.append(node)
        elif text in ")}]" and len(stack) > 1:
            stack.pop()
        else:
            stack[-1].items.append((kind, text, line))
    return root


def is_tok(item, text=None):
    return isinstance(item, tuple) and (text is None or item[1] == text)


def calls(node):
    """Names called anywhere inside a group: a name right before a '('."""
    items = node.items
    for i, item in enumerate(items):
        if isinstance(item, Node):
            if item.opener == "(" and i > 0 and is_tok(items[i - 1]) and items[i - 1][0] == "name":
                yield items[i - 1][1]
            yield from calls(item)


def functions(node, out):
    """Function bodies: a '{' group after a ')' group (allowing const, noexcept,
    override, a trailing return type or a constructor's initialisers) whose
    name is the last name before that ')' group."""
    items = node.items
    for i, item in enumerate(items):
        if not (isinstance(item, Node) and item.opener == "{"):
            continue
        j = i - 1
        while j >= 0 and not (isinstance(items[j], Node) and items[j].opener == "(" and
                              j > 0 and is_tok(items[j - 1]) and items[j - 1][0] == "name" and
                              items[j - 1][1] not in KEYWORDS):
            if is_tok(items[j], ";") or (isinstance(items[j], Node) and items[j].opener == "{"):
                j = -1
                break
            j -= 1
        if j > 0:
            name = items[j - 1][1]
            # A constructor's initialiser list: walk back to the first '(' after the ':'.
            out.setdefault(name, []).append(item)
        functions(item, out)


SEQUENCING = {"&&", "||", "?", ":", ",", ";", "=", "+=", "-=", "*=", "/=", "%=", "&=", "|=",
              "^=", "<<=", ">>=", "<<", ">>", "return"}


BLOCK_AFTER = {"namespace", "else", "do", "try", "const", "override", "noexcept", "mutable", ":"}
CONTROL = {"if", "for", "while", "switch"}
TYPE_WORDS = {"struct", "class", "enum", "union", "namespace"}


def is_block(items, i):
    """Whether the '{' group at i is a statement block or a body, not a braced value."""
    if i == 0:
        return True
    prev = items[i - 1]
    if isinstance(prev, Node):
        return prev.opener == "("  # after a condition or a parameter list
    if prev[1] in BLOCK_AFTER or prev[1] in (";", "}"):
        return True
    return prev[0] == "name" and i > 1 and is_tok(items[i - 2]) and items[i - 2][1] in TYPE_WORDS


def parts(items, seps):
    """Splits a run at the given tokens and, when ';' is one, after each block."""
    part = []
    for i, item in enumerate(items):
        if is_tok(item) and item[1] in seps:
            yield part
            part = []
        elif ";" in seps and isinstance(item, Node) and item.opener == "{" and is_block(items, i):
            yield part
            yield [item]
            part = []
        elif ";" in seps and isinstance(item, Node) and item.opener == "(" and i > 0 and \
                is_tok(items[i - 1]) and items[i - 1][1] in CONTROL:
            part.pop()  # a condition or loop header stands apart from its statement
            yield part
            yield [item]
            part = []
        else:
            part.append(item)
    yield part


class Checker:
    def __init__(self, drawers):
        self.drawers = drawers
        self.found = []

    def draws(self, items):
        """Whether a run of items calls a drawing function."""
        for i, item in enumerate(items):
            if isinstance(item, Node):
                if (item.opener == "(" and i > 0 and is_tok(items[i - 1]) and
                        items[i - 1][1] in self.drawers):
                    return True
                if any(c in self.drawers for c in calls(item)):
                    return True
        return False

    def units(self, items):
        """Splits a run of items into operands: each call (name and arguments)
        or bracketed group with what is glued to it (casts, member access)."""
        out, cur = [], []
        for i, item in enumerate(items):
            cur.append(item)
            glued_next = (i + 1 < len(items) and isinstance(items[i + 1], Node) and
                          items[i + 1].opener in "([")
            if is_tok(item) and item[1] in (".", "->", "::", "<", ">"):
                glued_next = True
            if isinstance(item, Node) and item.opener == "(" and i + 1 < len(items) and \
                    (is_tok(items[i + 1]) and items[i + 1][0] == "name" or
                     isinstance(items[i + 1], Node) and items[i + 1].opener == "("):
                glued_next = True  # a cast: (float)RandInt(..)
            if not glued_next:
                out.append(cur)
                cur = []
        if cur:
            out.append(cur)
        return out

    def check(self, node, path):
        items = node.items
        # Argument lists: every argument is unsequenced against the others.
        if node.opener in "({" and self.is_call(node):
            args = [a for a in parts(items, {","}) if a]
            drawing = [a for a in args if self.draws(a)]
            if len(drawing) > 1:
                self.found.append((path, node.line, "draws in more than one argument"))
        # Operands of one expression between sequencing points.
        for seg in parts(items, SEQUENCING):
            drawing = [u for u in self.units(seg) if self.draws(u)]
            if len(drawing) > 1:
                self.found.append((path, self.line_of(seg), "draws on both sides of an operator"))
        for item in items:
            if isinstance(item, Node):
                self.check(item, path)

    call_parents = {}

    def is_call(self, node):
        return self.call_parents.get(id(node), False)

    def mark_calls(self, node):
        items = node.items
        for i, item in enumerate(items):
            if isinstance(item, Node):
                prev = items[i - 1] if i > 0 else None
                if item.opener == "(" and prev is not None and (
                        (is_tok(prev) and prev[0] == "name" and prev[1] not in KEYWORDS) or
                        (is_tok(prev, ">")) or
                        (isinstance(prev, Node) and prev.opener in "(["
                         and not self.is_cast_group(prev))):
                    self.call_parents[id(item)] = True
                if item.opener == "{" and prev is not None and is_tok(prev) and prev[0] == "name" \
                        and not is_block(items, i):
                    self.call_parents[id(item)] = True  # braced initialiser T{a, b}
                self.mark_calls(item)

    @staticmethod
    def is_cast_group(node):
        return all(is_tok(i) and (i[0] == "name" or i[1] in ("*", "&", "::")) for i in node.items)

    @staticmethod
    def line_of(seg):
        for item in seg:
            return item[2] if isinstance(item, tuple) else item.line
        return 0


def main():
    dirs = sys.argv[1:] or [os.path.join(ROOT, d) for d in DEFAULT_DIRS]
    files = []
    for d in dirs:
        if not os.path.isdir(d):  # a moved folder must not drop out of the check unnoticed
            print(f"draw order: no folder {d}")
            sys.exit(2)
        for base, _, names in os.walk(d):
            files += [os.path.join(base, f) for f in sorted(names) if f.endswith((".cpp", ".h"))]
    trees = {}
    bodies = {}
    for f in files:
        with open(f, encoding="utf-8", errors="replace") as fh:
            trees[f] = tree(tokens(strip(fh.read())))
        functions(trees[f], bodies)
    # Every function that calls a drawing function draws too.
    drawers = set(BASE_DRAWS)
    changed = True
    while changed:
        changed = False
        for name, groups in bodies.items():
            if name not in drawers and any(c in drawers for g in groups for c in calls(g)):
                drawers.add(name)
                changed = True
    checker = Checker(drawers)
    for f, t in trees.items():
        checker.mark_calls(t)
        checker.check(t, os.path.relpath(f, ROOT))
    for path, line, what in sorted(set(checker.found)):
        print(f"{path}:{line}: {what}: C++ leaves their order open; draw into named locals first")
    if checker.found:
        return 1
    print(f"draw order: {len(files)} files, {len(drawers)} drawing functions, no unsequenced draws")
    return 0


if __name__ == "__main__":
    sys.exit(main())
