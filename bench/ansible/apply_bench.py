#!/usr/bin/env python3
"""How a play of the Ansible collection scales with the number of signs.

A play applies the same configuration (`signconfig.signs.config` with `src`, verify on) to 1
and to 8 fresh simulated signs at the real 9600 baud, with `forks` as many as signs, and is
timed from the start of ansible-playbook to its end, with pipelining on as the example site's
ansible.cfg sets it. Target: the play for 8 signs takes at most
1.5 times the play for one. Beside it, `signconfig-cli write` of the same file to one sign on
its own: the play's time less the program's is what Ansible and the module add.

Reading the signs (`signconfig.signs.info`) is timed the same way, and so is Ansible's own
`ansible.builtin.ping` on as many local hosts, which is what Ansible alone costs a host on this
machine. Beside each wall time, the processor time of ansible-playbook and everything it ran
(the modules, signconfig-cli): on a busy machine that figure holds where wall times do not.

    bench/ansible/apply_bench.py [--runs N] [--signs N]

It uses build/signsim and build/signconfig-cli (or SIGNSIM and SIGNCONFIG_CLI) and Debian's
ansible-core.
"""

import argparse
import contextlib
import os
import resource
import statistics
import subprocess
import sys
import time

ROOT = os.path.abspath(os.path.join(os.path.dirname(__file__), '..', '..'))
sys.path.insert(0, os.path.join(ROOT, 'tests', 'ansible'))
os.environ.setdefault('SIGNSIM', os.path.join(ROOT, 'build', 'signsim'))
os.environ.setdefault('SIGNCONFIG_CLI', os.path.join(ROOT, 'build', 'signconfig-cli'))
os.environ.setdefault('SIGNCONFIG_COLLECTIONS', os.path.join(ROOT, 'ansible'))
os.environ.setdefault('PYTHONDONTWRITEBYTECODE', '1')

from fixtures import SITE_CHANGES, SITE_ITEMS, save_configuration, with_changes  # noqa: E402
from playbook import Workspace  # noqa: E402
from simsign import SimulatedSign  # noqa: E402


@contextlib.contextmanager
def paced_signs(count):
    with contextlib.ExitStack() as stack:
        yield [stack.enter_context(SimulatedSign('--pace')) for _ in range(count)]


def processor_seconds():
    used = resource.getrusage(resource.RUSAGE_CHILDREN)
    return used.ru_utime + used.ru_stime


def timed_play(workspace, count, tasks, check_items):
    """Wall and processor seconds of one play on `count` fresh signs."""
    with paced_signs(count) as signs:
        hosts = {'sign%d' % n: sign.port for n, sign in enumerate(signs)}
        start, processor = time.monotonic(), processor_seconds()
        outcome = workspace.play(hosts, tasks, forks=count)
        seconds, processor = time.monotonic() - start, processor_seconds() - processor
        if outcome.rc != 0:
            raise SystemExit('the play failed:\n' + outcome.stdout[-3000:])
        if check_items:
            for sign in signs:
                if sign.items() != SITE_ITEMS:
                    raise SystemExit('a sign received %s, not %s' % (sign.items(), SITE_ITEMS))
    return seconds, processor


def timed_program(workspace, site):
    """Seconds of signconfig-cli's write of `site` to one fresh sign, as the module runs it."""
    with paced_signs(1) as (sign,):
        start = time.monotonic()
        subprocess.run([workspace.cli, 'write', site, '--port=' + sign.port, '--verify', '--json'], check=True,
                       capture_output=True, timeout=120)
        return time.monotonic() - start


def median_of(runs, measure):
    """The median of each figure `measure` returns, over `runs` runs."""
    return [statistics.median(figures) for figures in zip(*(measure() for _ in range(runs)))]


def main():
    parser = argparse.ArgumentParser(description=__doc__.split('\n\n')[0])
    parser.add_argument('--runs', type=int, default=3, help='runs of each play (the median is shown)')
    parser.add_argument('--signs', type=int, default=8, help='signs of the larger play')
    options = parser.parse_args()

    workspace = Workspace()
    try:
        with SimulatedSign() as factory:
            saved = save_configuration(workspace.cli, factory.port, os.path.join(workspace.path, 'factory.led'))
        site = workspace.file('site.led', with_changes(saved, SITE_CHANGES).decode('latin-1'))
        apply = [{'name': 'apply', 'signconfig.signs.config': {'port': '{{ sign_port }}', 'src': site}}]
        read = [{'name': 'read', 'signconfig.signs.info': {'port': '{{ sign_port }}'}}]

        ping = [{'name': 'ping', 'ansible.builtin.ping': {}}]

        program = statistics.median(timed_program(workspace, site) for _ in range(options.runs))
        print('signconfig-cli write, 1 sign: %.2f s' % program)
        for name, tasks, check_items in (('config (src, verify)', apply, True), ('info', read, False),
                                         ('ansible.builtin.ping', ping, False)):
            one, one_processor = median_of(options.runs, lambda: timed_play(workspace, 1, tasks, check_items))
            many, many_processor = median_of(options.runs,
                                             lambda: timed_play(workspace, options.signs, tasks, check_items))
            ratio = many / one
            print('play %-20s 1 sign: %5.2f s (processor %5.2f s)   %d signs: %5.2f s (processor %5.2f s)'
                  '   ratio %.2f%s'
                  % (name, one, one_processor, options.signs, many, many_processor, ratio,
                     '' if tasks is ping else ' (target at most 1.5)' if ratio <= 1.5 else ' (target at most 1.5: OVER)'))
            if tasks is apply:
                print('  Ansible and the module add to the program, 1 sign: %.2f s' % (one - program))
    finally:
        workspace.remove()


if __name__ == '__main__':
    main()
