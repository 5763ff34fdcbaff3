"""Running a real playbook with Debian's ansible-playbook against the collection in the source
tree: every sign a host of its own with `connection: local`, results read from the tests' own
results_json callback."""

import json
import os
import shutil
import subprocess
import tempfile

from simsign import required_path

HERE = os.path.dirname(os.path.abspath(__file__))


def required_tool(name):
    path = shutil.which(name)
    if not path:
        raise AssertionError('%s is not installed: the project\'s scripts install ansible-core (./test.sh)' % name)
    return path


class Outcome:
    """What one ansible-playbook run gave: `results[task name][host]`, the per-host `stats`,
    the exit status and the output."""

    def __init__(self, completed):
        self.rc = completed.returncode
        self.stdout = completed.stdout
        self.stderr = completed.stderr
        try:
            data = json.loads(completed.stdout)
        except ValueError:
            raise AssertionError('ansible-playbook printed no JSON (exit status %s):\n%s\n%s'
                                 % (self.rc, completed.stdout[-3000:], completed.stderr[-3000:]))
        self.results = {}
        for play in data['plays']:
            for task in play['tasks']:
                self.results.setdefault(task['task']['name'], {}).update(task['hosts'])
        self.stats = data['stats']

    def result(self, task, host):
        return self.results[task][host]


class Workspace:
    """A folder for a test's inventory, playbooks and files; removed afterwards."""

    def __init__(self):
        self.path = tempfile.mkdtemp(prefix='signconfig-ansible-')
        self.cli = required_path('SIGNCONFIG_CLI')
        self.collections = os.environ.get('SIGNCONFIG_COLLECTIONS', '')
        if not os.path.isdir(os.path.join(self.collections, 'ansible_collections', 'signconfig', 'signs')):
            raise AssertionError('SIGNCONFIG_COLLECTIONS must name the folder holding ansible_collections/signconfig/'
                                 'signs (it is %r)' % self.collections)

    def remove(self):
        shutil.rmtree(self.path, ignore_errors=True)

    def file(self, name, text):
        path = os.path.join(self.path, name)
        with open(path, 'w', encoding='latin-1') as handle:
            handle.write(text)
        return path

    def environment(self):
        env = dict(os.environ)
        env.update(
            ANSIBLE_COLLECTIONS_PATH=self.collections,
            ANSIBLE_COLLECTIONS_SCAN_SYS_PATH='false',
            ANSIBLE_CALLBACK_PLUGINS=os.path.join(HERE, 'callback_plugins'),
            ANSIBLE_STDOUT_CALLBACK='results_json',
            ANSIBLE_NOCOLOR='1',
            ANSIBLE_RETRY_FILES_ENABLED='false',
            ANSIBLE_HOME=os.path.join(self.path, 'ansible-home'),
            ANSIBLE_LOCAL_TEMP=os.path.join(self.path, 'tmp'),
            ANSIBLE_REMOTE_TMP=os.path.join(self.path, 'tmp'),
            # As the example site's ansible.cfg sets it.
            ANSIBLE_PIPELINING='true',
        )
        # Only what this run is given, never a configuration lying about the machine.
        env.pop('ANSIBLE_CONFIG', None)
        return env

    def play(self, signs, tasks, check=False, diff=False, forks=None, cli_defaults=True, extra_args=()):
        """Runs one play of `tasks` on every host of `signs` (host name: port), each task
        named; the modules get this build's signconfig-cli through module_defaults."""
        play = {'hosts': 'all', 'gather_facts': False, 'tasks': tasks}
        if cli_defaults:
            play['module_defaults'] = {'group/signconfig.signs.all': {'cli_path': self.cli}}
        # JSON is YAML too.
        playbook = self.file('playbook.yml', json.dumps([play]))
        hosts = {host: {'sign_port': port} for host, port in signs.items()}
        return self.run(playbook, hosts, check=check, diff=diff, forks=forks, extra_args=extra_args)

    def run(self, playbook, hosts, check=False, diff=False, forks=None, extra_args=()):
        """Runs `playbook` with every host of `hosts` (host name: its variables) on this
        machine, in the group `signs`. This build's signconfig-cli comes first on PATH."""
        inventory = {'all': {'children': {'signs': {'hosts': {
            host: dict(variables, ansible_connection='local',
                       ansible_python_interpreter='{{ ansible_playbook_python }}')
            for host, variables in hosts.items()}}}}}
        command = [required_tool('ansible-playbook'), '-i', self.file('inventory.yml', json.dumps(inventory)), playbook]
        command += ['--forks', str(forks or max(1, len(hosts)))]
        if check:
            command.append('--check')
        if diff:
            command.append('--diff')
        command += list(extra_args)
        env = self.environment()
        env['PATH'] = os.path.dirname(self.cli) + os.pathsep + env.get('PATH', '')
        completed = subprocess.run(command, cwd=self.path, env=env, capture_output=True, text=True, timeout=600)
        return Outcome(completed)

    def doc(self, *arguments):
        return subprocess.run([required_tool('ansible-doc')] + list(arguments), cwd=self.path,
                              env=self.environment(), capture_output=True, text=True, timeout=120)
