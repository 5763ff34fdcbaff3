"""A stdout callback for the tests: every task's result for every host, and the play's
statistics, as one JSON document at the end of the run (ansible-core has no such callback of
its own)."""

from __future__ import absolute_import, division, print_function

__metaclass__ = type

import json

from ansible.plugins.callback import CallbackBase

DOCUMENTATION = '''
name: results_json
type: stdout
short_description: every task's result as one JSON document
description: The tests of signconfig.signs read the modules' return values from it.
'''


class CallbackModule(CallbackBase):
    CALLBACK_VERSION = 2.0
    CALLBACK_TYPE = 'stdout'
    CALLBACK_NAME = 'results_json'

    def __init__(self):
        super(CallbackModule, self).__init__()
        self.tasks = []

    def v2_playbook_on_task_start(self, task, is_conditional):
        self.tasks.append({'task': {'name': task.get_name()}, 'hosts': {}})

    def _record(self, result, **extra):
        outcome = dict(result._result)
        outcome.update(extra)
        self.tasks[-1]['hosts'][result._host.get_name()] = outcome

    def v2_runner_on_ok(self, result):
        self._record(result)

    def v2_runner_on_failed(self, result, ignore_errors=False):
        self._record(result, failed=True)

    def v2_runner_on_skipped(self, result):
        self._record(result, skipped=True)

    def v2_runner_on_unreachable(self, result):
        self._record(result, unreachable=True)

    def v2_playbook_on_stats(self, stats):
        summary = dict((host, stats.summarize(host)) for host in sorted(stats.processed))
        self._display.display(json.dumps({'plays': [{'tasks': self.tasks}], 'stats': summary}))
