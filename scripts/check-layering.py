#!/usr/bin/env python3
# SPDX-License-Identifier: GPL-3.0-or-later
"""Checks how the program's units depend on each other by their includes.

- No two units (a header with its source file) may depend on each other,
  directly or through others.
- No two folders may depend on each other, directly or through others.
- No folder holds sources of both libraries.
- No file of the library without widgets may include, directly or through
  other project headers, a unit of the widget library or a Qt Widgets or
  Qt GUI header.

Usage: check-layering.py <repository root>. Prints what is wrong and exits
with 1, or exits with 0.
"""
import os
import re
import sys

INCLUDE = re.compile(r'^\s*#\s*include\s*([<"])([^>"]+)[>"]', re.M)


def sources_of(cmake_text, library):
    m = re.search(r'add_library\(\s*%s\s+STATIC(.*?)\)' % re.escape(library), cmake_text, re.S)
    return [s for s in m.group(1).split() if s.endswith('.cpp')] if m else []


def qt_headers(module):
    for base in ('/usr/include/x86_64-linux-gnu/qt6', '/usr/include/qt6', '/usr/include/aarch64-linux-gnu/qt6'):
        d = os.path.join(base, module)
        if os.path.isdir(d):
            return set(os.listdir(d))
    return set()


def cycles(graph):
    """The strongly connected components of more than one node (Tarjan)."""
    index, low, stack, on, found = {}, {}, [], set(), []
    counter = [0]

    def strong(v):
        index[v] = low[v] = counter[0]
        counter[0] += 1
        stack.append(v)
        on.add(v)
        for w in sorted(graph[v]):
            if w not in graph:
                continue
            if w not in index:
                strong(w)
                low[v] = min(low[v], low[w])
            elif w in on:
                low[v] = min(low[v], index[w])
        if low[v] == index[v]:
            comp = []
            while True:
                w = stack.pop()
                on.discard(w)
                comp.append(w)
                if w == v:
                    break
            if len(comp) > 1:
                found.append(sorted(comp))

    for v in sorted(graph):
        if v not in index:
            strong(v)
    return found


def main():
    root = sys.argv[1] if len(sys.argv) > 1 else '.'
    src = os.path.join(root, 'src')
    files = {}
    for d, _, names in os.walk(src):
        for n in names:
            if n.endswith(('.h', '.cpp')):
                path = os.path.relpath(os.path.join(d, n), src)
                with open(os.path.join(d, n), encoding='utf-8') as f:
                    files[path] = INCLUDE.findall(f.read())

    def resolve(from_file, name):
        here = os.path.normpath(os.path.join(os.path.dirname(from_file), name))
        if here in files:
            return here
        return name if name in files else None

    def unit(path):
        return os.path.splitext(path)[0]

    deps = {}        # unit -> units it includes
    quoted = {}      # file -> project files it includes
    system = {}      # file -> system headers it includes
    for f, incs in files.items():
        quoted[f] = set()
        system[f] = set()
        for kind, name in incs:
            target = resolve(f, name) if kind == '"' else None
            if target:
                quoted[f].add(target)
                if unit(target) != unit(f):
                    deps.setdefault(unit(f), set()).add(unit(target))
            else:
                system[f].add(name)
        deps.setdefault(unit(f), set())

    problems = []

    sys.setrecursionlimit(10000)
    for comp in cycles(deps):
        problems.append('units depend on each other: ' + ', '.join(comp))
    folder_deps = {}
    for u, targets in deps.items():
        here = os.path.dirname(u)
        folder_deps.setdefault(here, set()).update(os.path.dirname(t) for t in targets if os.path.dirname(t) != here)
    for comp in cycles(folder_deps):
        problems.append('folders depend on each other: ' + ', '.join(comp))

    # The library without widgets.
    with open(os.path.join(src, 'CMakeLists.txt'), encoding='utf-8') as f:
        cmake = f.read()
    core = sources_of(cmake, 'radadir_core')
    gui_units = {unit(s) for s in sources_of(cmake, 'radadir_gui')}
    for folder in sorted({os.path.dirname(c) for c in core} & {os.path.dirname(g) for g in gui_units}):
        problems.append('folder %s holds sources of both libraries' % folder)
    if not core:
        problems.append('no sources found for radadir_core')
    forbidden_qt = qt_headers('QtWidgets') | qt_headers('QtGui')
    forbidden_qt |= {'QtWidgets/' + h for h in qt_headers('QtWidgets')} | {'QtGui/' + h for h in qt_headers('QtGui')}
    for c in core:
        seen, todo = set(), [c, unit(c) + '.h']
        while todo:
            f = todo.pop()
            if f in seen or f not in files:
                continue
            seen.add(f)
            if unit(f) in gui_units:
                problems.append('%s (library without widgets) reaches %s of the widget library' % (c, f))
            bad = sorted(system[f] & forbidden_qt)
            if bad:
                problems.append('%s (library without widgets) reaches Qt GUI headers through %s: %s'
                                % (c, f, ', '.join(bad)))
            todo.extend(quoted[f])

    for p in sorted(set(problems)):
        print(p)
    return 1 if problems else 0


if __name__ == '__main__':
    sys.exit(main())
