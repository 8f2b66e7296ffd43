"""Mutants of a C++ source file: each is one small textual change by one of the
usual operators, found on the code only (comments, string and character
literals and preprocessor lines are masked out first)."""

import re
from dataclasses import dataclass


@dataclass(frozen=True)
class Mutant:
    start: int      # offset of the replaced text in the source
    end: int
    op: str         # operator name
    original: str
    replacement: str
    line: int
    col: int

    @property
    def ident(self):
        # Stable for one content of the file: where, which operator, what it writes.
        shown = re.sub(r"\s+", "", self.replacement)[:16]
        if self.op == "delete" or not shown:
            shown = "deleted"
        return f"{self.line}:{self.col}:{self.op}:{shown}"

    def apply(self, text):
        return text[:self.start] + self.replacement + text[self.end:]


def mask(text):
    """The text with comments, literals and preprocessor lines blanked (offsets kept)."""
    out = list(text)
    i, n = 0, len(text)
    line_start = True

    def blank(a, b):
        for k in range(a, b):
            if out[k] != "\n":
                out[k] = " "

    while i < n:
        c = text[i]
        if line_start and c == "#":
            j = i
            while j < n and (text[j] != "\n" or text[j - 1] == "\\"):
                j += 1
            blank(i, j)
            i = j
            continue
        if c == "\n":
            line_start = True
            i += 1
            continue
        if not c.isspace():
            line_start = False
        if text.startswith("//", i):
            j = text.find("\n", i)
            j = n if j < 0 else j
            blank(i, j)
            i = j
        elif text.startswith("/*", i):
            j = text.find("*/", i + 2)
            j = n if j < 0 else j + 2
            blank(i, j)
            i = j
        elif text.startswith('R"', i) and (i == 0 or not (text[i - 1].isalnum() or text[i - 1] == "_")):
            m = re.match(r'R"([^(\s]*)\(', text[i:])
            end = text.find(")" + m.group(1) + '"', i) if m else -1
            j = n if end < 0 else end + len(m.group(1)) + 2
            blank(i + 1, j)
            i = j
        elif c in "\"'":
            if c == "'" and i > 0 and text[i - 1].isalnum():  # digit separator 1'000
                i += 1
                continue
            j = i + 1
            while j < n and text[j] != c:
                j += 2 if text[j] == "\\" else 1
            blank(i + 1, j)  # keep the quotes: a literal stays a token
            i = j + 1
        else:
            i += 1
    return "".join(out)


REL = {"<": ["<=", ">"], "<=": ["<", ">"], ">": [">=", "<"], ">=": [">", "<"], "==": ["!="], "!=": ["=="]}
ARITH = {"+": ["-"], "-": ["+"], "*": ["/"], "/": ["*"], "%": ["*"],
         "+=": ["-="], "-=": ["+="], "++": ["--"], "--": ["++"]}
CALL_STATEMENT = re.compile(
    r"^[ \t]*((?:[A-Za-z_][\w:]*)(?:(?:->|\.)[A-Za-z_]\w*)*(?:<[^;()=]*>)?\(.*\);)[ \t]*$", re.M)
RETURN = re.compile(r"\breturn\s+([^;]+);")
CONDITION = re.compile(r"\b(if|while)\s*\(")
NOT = re.compile(r"(?<![!=<>])!(?!=)\s*(?=[\w(])")
NUMBER = re.compile(r"(?<![\w.])(\d+(?:\.\d+)?)(?![\w.'])")
BOOL = re.compile(r"\b(true|false)\b")
# Binary operators only when set apart by white space, as the house writes
# them: that tells `a < b` from `Ref<T>` and `a * b` from `T* p`.
BINARY = re.compile(r"(?<=\s)(<=|>=|==|!=|&&|\|\||\+=|-=|<|>|\+|-|\*|/|%)(?=\s)")
INCREMENT = re.compile(r"(\+\+|--)(?=[\w(])|(?<=[\w)\]])(\+\+|--)")


def _match_paren(code, open_at):
    depth = 0
    for k in range(open_at, len(code)):
        if code[k] == "(":
            depth += 1
        elif code[k] == ")":
            depth -= 1
            if depth == 0:
                return k
    return -1


def _left_operand(code, at):
    """Where the operand ending before the && or || at `at` starts."""
    depth, k = 0, at - 1
    while k >= 0:
        c = code[k]
        if c in ")]":
            depth += 1
        elif c in "([":
            if depth == 0:
                break
            depth -= 1
        elif depth == 0:
            if c in ";{}?," or code[k - 1:k + 1] in ("&&", "||"):
                break
            if c == ":" and code[k - 1] != ":" and code[k + 1] != ":":
                break
            if c == "=" and code[k - 1] not in "=!<>" and code[k + 1] != "=":
                break
        k -= 1
    start = k + 1
    while start < at and code[start].isspace():
        start += 1
    if code.startswith("return", start) and not (code[start + 6:start + 7].isalnum()):
        start += 6
        while start < at and code[start].isspace():
            start += 1
    return start


def mutants(text):
    code = mask(text)
    line_starts = [0] + [m.end() for m in re.finditer("\n", text)]

    def where(offset):
        lo, hi = 0, len(line_starts) - 1
        while lo < hi:
            mid = (lo + hi + 1) // 2
            if line_starts[mid] <= offset:
                lo = mid
            else:
                hi = mid - 1
        return lo + 1, offset - line_starts[lo] + 1

    found = []

    def add(start, end, op, replacement):
        line, col = where(start)
        found.append(Mutant(start, end, op, text[start:end], replacement, line, col))

    for m in BINARY.finditer(code):
        tok = m.group(1)
        if tok in REL:
            for r in REL[tok]:
                add(m.start(), m.end(), "relational", r)
        elif tok in ("&&", "||"):
            add(m.start(), m.end(), "logical", "||" if tok == "&&" else "&&")
            # The left term dropped: the condition no longer tests it.
            start = _left_operand(code, m.start())
            end = m.end()
            while end < len(code) and code[end].isspace():
                end += 1
            if start < m.start():
                add(start, end, "drop", "")
        elif tok in ARITH:
            for r in ARITH[tok]:
                add(m.start(), m.end(), "arithmetic", r)
    for m in INCREMENT.finditer(code):
        tok = m.group(0)
        add(m.start(), m.end(), "arithmetic", ARITH[tok][0])
    for m in CONDITION.finditer(code):
        open_at = m.end() - 1
        close = _match_paren(code, open_at)
        # A condition that declares its variable cannot be negated as a whole.
        if close > open_at + 1 and " = " not in code[open_at:close]:
            add(open_at + 1, close, "negate", "!(" + text[open_at + 1:close] + ")")
    for m in NOT.finditer(code):
        add(m.start(), m.end(), "negate", "")
    for m in NUMBER.finditer(code):
        value = m.group(1)
        if "." in value:
            add(m.start(), m.end(), "constant", repr(float(value) + 1))
        else:
            add(m.start(), m.end(), "constant", str(int(value) + 1))
            if int(value) > 0:
                add(m.start(), m.end(), "constant", str(int(value) - 1))
    for m in BOOL.finditer(code):
        add(m.start(), m.end(), "constant", "false" if m.group(1) == "true" else "true")
    for m in CALL_STATEMENT.finditer(code):
        stmt = m.group(1)
        if stmt.split("(")[0] in ("return", "if", "while", "for", "switch", "sizeof", "static_assert"):
            continue
        if stmt.count("(") != stmt.count(")"):
            continue
        before = code[:m.start(1)].rstrip()
        if not (before.endswith((";", "{", "}", ")")) or before.endswith("else") or not before):
            continue  # the middle of a longer expression
        add(m.start(1), m.end(1), "delete", "{}")
    for m in RETURN.finditer(code):
        value = code[m.start(1):m.end(1)].strip()
        if value in ("true", "false", "{}", "nullptr") or NUMBER.fullmatch(value):
            continue
        add(m.start(1), m.end(1), "return", "{}")
    found.sort(key=lambda mu: (mu.start, mu.op, mu.replacement))
    return found
