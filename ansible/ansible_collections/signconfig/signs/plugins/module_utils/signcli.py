# -*- coding: utf-8 -*-
# Copyright (C) 2026 Example Sign Systems <support@example.com>
"""Running signconfig-cli on the managed host and reading its answer.

The modules are a thin layer over the command line: the conversation with the sign, the
comparison and the checks of what a task gives are the program's. This file finds the program,
runs it with --json and turns an answer that is no success into a failure carrying the
program's own sentence and exit status.
"""

from __future__ import absolute_import, division, print_function

__metaclass__ = type

import json
import os

PROGRAM = 'signconfig-cli'
PACKAGE = 'signconfig'

# signconfig-cli's exit status.
DONE = 0
DIFFERENCES = 1  # differences, verify failed, a refused item; with --check: something would be sent
USAGE = 2
PORT_FAILED = 3
NO_ANSWER = 4
FILE_ERROR = 5

# The options every module of the collection takes.
COMMON_ARGUMENT_SPEC = dict(
    port=dict(type='str', required=True),
    cli_path=dict(type='path'),
)

INSTALL_HINT = ('install the package %s on this host (apt install %s), or give the program\'s path as cli_path'
                % (PACKAGE, PACKAGE))


class CliFailure(Exception):
    """The task fails: `msg` is what signconfig-cli said, `rc` its exit status, and `answer` its
    JSON object for the sign when it printed one (what was sent before the failure is in it)."""

    def __init__(self, msg, rc, answer=None):
        super(CliFailure, self).__init__(msg)
        self.msg = msg
        self.rc = rc
        self.answer = answer if answer is not None else {}


def find_program(module):
    """The path of signconfig-cli: cli_path when the task gives it, else the one on PATH."""
    given = module.params.get('cli_path')
    if given:
        if os.path.isfile(given) and os.access(given, os.X_OK):
            return given
        module.fail_json(msg='cli_path %s: no such program; %s' % (given, INSTALL_HINT))
    found = module.get_bin_path(PROGRAM)
    if not found:
        module.fail_json(msg='%s was not found on PATH; %s' % (PROGRAM, INSTALL_HINT))
    return found


def _sentence(stderr):
    """What the program said on standard error, without its name in front and without the
    usage summary it adds after a blank line."""
    said = stderr.strip().split('\n\n')[0].strip()
    prefix = PROGRAM + ': '
    return said[len(prefix):] if said.startswith(prefix) else said


def read_answer(rc, stdout, stderr):
    """The one JSON object signconfig-cli printed for the sign.

    A usage or file error found before any sign is touched gets no object: the program says
    why on standard error, and that sentence is the failure's message.
    """
    objects = []
    for line in stdout.splitlines():
        line = line.strip()
        if not line:
            continue
        try:
            objects.append(json.loads(line))
        except ValueError:
            raise CliFailure('%s printed something that is not JSON: %s' % (PROGRAM, line[:200]), rc)
    if not objects:
        raise CliFailure(_sentence(stderr) or '%s ended with exit status %s and said nothing' % (PROGRAM, rc), rc)
    if len(objects) != 1 or not isinstance(objects[0], dict) or 'exitCode' not in objects[0]:
        raise CliFailure('%s printed %d answers for one sign: %s' % (PROGRAM, len(objects), stdout.strip()[:200]), rc)
    return objects[0]


def raise_unless_done(answer, check_mode=False):
    """Returns when the sign's job succeeded; with --check, "something would be sent" is a
    success too. Anything else fails the task with the program's sentence."""
    code = answer.get('exitCode')
    if code == DONE or (check_mode and code == DIFFERENCES):
        return
    raise CliFailure(answer.get('message') or '%s failed with exit status %s' % (PROGRAM, code), code, answer)


def run(module, program, arguments, data=None):
    """Runs `program ARGUMENTS --json` (with `data` on standard input) and returns its answer."""
    rc, stdout, stderr = module.run_command([program] + list(arguments) + ['--json'], data=data)
    return read_answer(rc, stdout, stderr)


def option(name, value):
    """`--name=value` in one argument, so that a value starting with "-" is never read as an
    option of its own."""
    return '--%s=%s' % (name, value)
