"""End-to-end: real playbooks of Debian's ansible-core run the collection's modules against
build/signsim on pseudo-terminals and on a TCP port, each sign a host with `connection: local`.
What the sign received is read from the simulator's log."""

import importlib
import json
import os
import sys
import unittest

HERE = os.path.dirname(os.path.abspath(__file__))
sys.path.insert(0, HERE)

from playbook import Workspace  # noqa: E402
from simsign import SimulatedSign, required_path  # noqa: E402
from fixtures import (SITE_CHANGES, SITE_FIELDS, SITE_ITEMS, changed_fields, save_configuration,  # noqa: E402
                      with_changes)

EXAMPLE = os.path.join(HERE, '..', '..', 'docs', 'ansible')

MODULES = ['config', 'info', 'clock', 'default_message']


def task(name, module, **arguments):
    arguments.setdefault('port', '{{ sign_port }}')
    return {'name': name, 'signconfig.signs.' + module: arguments, 'register': 'outcome'}


def failing(name, module, **arguments):
    """A task expected to fail; the play goes on to the next."""
    return dict(task(name, module, **arguments), ignore_errors=True)


class PlaybookTest(unittest.TestCase):
    def setUp(self):
        self.workspace = Workspace()
        self.addCleanup(self.workspace.remove)

    def sign(self, *options, tcp=False):
        sign = SimulatedSign(*options, tcp=tcp)
        sign.__enter__()
        self.addCleanup(sign.__exit__, None, None, None)
        return sign

    def saved_configuration(self, sign, name):
        """The sign's configuration as signconfig-cli saves it to a .led file: path, bytes."""
        path = os.path.join(self.workspace.path, name)
        return path, save_configuration(self.workspace.cli, sign.port, path)

    def site_file(self):
        """A .led file for a factory sign with SITE_CHANGES in it, made from a factory sign's."""
        with SimulatedSign() as factory:
            _, saved = self.saved_configuration(factory, 'factory.led')
        return self.workspace.file('site.led', with_changes(saved, SITE_CHANGES).decode('latin-1'))

    def assertOk(self, result, changed):
        self.assertFalse(result.get('failed'), result.get('msg'))
        self.assertEqual(result['changed'], changed, result.get('msg'))

    def test_info_reads_each_sign(self):
        signs = {'local': self.sign(), 'served': self.sign('--model', 'KT420', tcp=True)}
        outcome = self.workspace.play({host: s.port for host, s in signs.items()},
                                      [task('read', 'info')], check=True)
        for host, model in (('local', 'RW2290'), ('served', 'KT420')):
            with self.subTest(host=host):
                result = outcome.result('read', host)
                self.assertOk(result, changed=False)
                self.assertEqual(result['configuration']['model'], model)
                self.assertEqual(len(result['configuration']['priorities']), 5)
                self.assertEqual(signs[host].commands(), ['DOWNLOAD_ALL'])

    def test_clock_is_set_and_check_mode_sends_nothing(self):
        sign = self.sign()
        outcome = self.workspace.play({'sign': sign.port}, [task('clock', 'clock')])
        self.assertOk(outcome.result('clock', 'sign'), changed=True)
        commands = sign.commands()
        self.assertEqual(len(commands), 1)
        self.assertTrue(commands[0].startswith('<Time time='), commands)

        mark = sign.mark()
        outcome = self.workspace.play({'sign': sign.port}, [task('clock', 'clock')], check=True)
        self.assertOk(outcome.result('clock', 'sign'), changed=True)
        self.assertEqual(sign.commands(mark), [])

    def test_apply_sends_the_differing_items_once(self):
        site = self.site_file()
        signs = {'local': self.sign(), 'served': self.sign(tcp=True)}
        hosts = {host: s.port for host, s in signs.items()}
        apply = [task('apply', 'config', src=site)]

        outcome = self.workspace.play(hosts, apply)
        for host, sign in signs.items():
            with self.subTest(host=host, run='first'):
                result = outcome.result('apply', host)
                self.assertOk(result, changed=True)
                self.assertEqual(result['sent'], SITE_ITEMS)
                self.assertEqual(sign.items(), SITE_ITEMS)

        marks = {host: sign.mark() for host, sign in signs.items()}
        outcome = self.workspace.play(hosts, apply)
        for host, sign in signs.items():
            with self.subTest(host=host, run='second'):
                result = outcome.result('apply', host)
                self.assertOk(result, changed=False)
                self.assertEqual(result['sent'], [])
                self.assertEqual(sign.commands(marks[host]), ['DOWNLOAD_ALL'])

    def test_a_silent_sign_fails_its_host_alone(self):
        site = self.site_file()
        signs = {'first': self.sign(), 'silent': self.sign('--silent'), 'served': self.sign(tcp=True)}
        outcome = self.workspace.play({host: s.port for host, s in signs.items()},
                                      [task('apply', 'config', src=site)])
        self.assertNotEqual(outcome.rc, 0)
        silent = outcome.result('apply', 'silent')
        self.assertTrue(silent.get('failed'))
        self.assertTrue(silent['msg'].startswith('No answer'), silent['msg'])
        self.assertEqual(silent['rc'], 4)
        self.assertEqual(outcome.stats['silent']['failures'], 1)
        for host in ('first', 'served'):
            with self.subTest(host=host):
                self.assertOk(outcome.result('apply', host), changed=True)
                self.assertEqual(outcome.stats[host]['failures'], 0)
                self.assertEqual(signs[host].items(), SITE_ITEMS)

    def test_a_failed_verify_fails_the_task_naming_the_item(self):
        site = self.site_file()
        # The first configuration command (priority 2) is stored with another colour; the
        # second (the ID mode) never arrives.
        signs = {'corrupting': (self.sign('--corrupt-item', '1'), 'verify failed: Priority 2 Color'),
                 'dropping': (self.sign('--drop-item', '2'), 'verify failed: ID mode')}
        outcome = self.workspace.play({host: s.port for host, (s, _) in signs.items()},
                                      [task('apply', 'config', src=site)])
        for host, (sign, words) in signs.items():
            with self.subTest(host=host):
                result = outcome.result('apply', host)
                self.assertTrue(result.get('failed'))
                self.assertIn(words, result['msg'])
                self.assertEqual(result['rc'], 1)
                self.assertTrue(result['changed'])
                self.assertEqual(result['sent'], SITE_ITEMS)
                self.assertTrue(result['differences'])

    def test_bad_input_fails_before_anything_is_sent(self):
        site = self.site_file()
        missing = os.path.join(self.workspace.path, 'gone.led')
        not_led = self.workspace.file('notes.led', 'call the fire station\n')
        sign = self.sign()
        cases = [
            # task, words its message holds
            (failing('unknown option', 'config', src=site, colour='Red'), ['colour']),
            (failing('priority out of range', 'config', priorities=[{'priority': 7, 'timeout': 30}]),
             ['priority', '7']),
            (failing('link out of range', 'config', links=[{'id': 9, 'capcodes': ['1234567']}]), ['id', '9']),
            (failing('missing file', 'config', src=missing), ['src', missing, 'no such file']),
            (failing('no configuration', 'config', src=not_led), ['src', not_led, 'call the fire station']),
            (failing('font the model lacks', 'default_message', text='OPEN', font='Huge'), ['font', 'Huge']),
        ]
        outcome = self.workspace.play({'sign': sign.port}, [case for case, _ in cases])
        for case, words in cases:
            with self.subTest(task=case['name']):
                result = outcome.result(case['name'], 'sign')
                self.assertTrue(result.get('failed'), result)
                self.assertFalse(result.get('changed'))
                for word in words:
                    self.assertIn(word, result['msg'])
        # Only the font needed the sign: its message was read, and nothing was sent.
        self.assertEqual(sign.commands(), ['DOWNLOAD_DEFAULT_MSG'])

    def test_a_missing_program_says_to_install_the_package(self):
        sign = self.sign()
        empty = os.path.join(self.workspace.path, 'empty')
        os.mkdir(empty)
        cases = [
            dict(failing('not on PATH', 'info'), environment={'PATH': empty}),
            failing('no such cli_path', 'info', cli_path=os.path.join(empty, 'signconfig-cli')),
        ]
        outcome = self.workspace.play({'sign': sign.port}, cases, cli_defaults=False)
        for case in cases:
            with self.subTest(task=case['name']):
                result = outcome.result(case['name'], 'sign')
                self.assertTrue(result.get('failed'))
                self.assertIn('install the package signconfig', result['msg'])
        self.assertEqual(sign.commands(), [])

    def test_ansible_doc_renders_every_module(self):
        listed = self.workspace.doc('-l', 'signconfig.signs')
        self.assertEqual(listed.returncode, 0, listed.stderr)
        for module in MODULES:
            name = 'signconfig.signs.' + module
            with self.subTest(module=module):
                self.assertIn(name, listed.stdout)
                shown = self.workspace.doc(name)
                self.assertEqual(shown.returncode, 0, shown.stderr)
                self.assertNotIn('WARNING', shown.stderr)
                for heading in ('OPTIONS', 'ATTRIBUTES', 'EXAMPLES', 'RETURN VALUES'):
                    self.assertIn(heading, shown.stdout)
                # The documented options are the options the module takes, to the suboption.
                documented = json.loads(self.workspace.doc('--json', name).stdout)[name]['doc']['options']
                code = importlib.import_module('ansible_collections.signconfig.signs.plugins.modules.' + module)
                self.assertEqual(option_tree(documented), option_tree(code.argument_spec()))

    def test_check_mode_reports_change_and_only_reads(self):
        site = self.site_file()
        sign = self.sign()
        outcome = self.workspace.play({'sign': sign.port}, [
            task('file', 'config', src=site),
            task('options', 'config', priorities=[{'priority': 3, 'timeout': 90}]),
        ], check=True)
        for name, items in (('file', SITE_ITEMS), ('options', ['Priority 3'])):
            with self.subTest(task=name):
                result = outcome.result(name, 'sign')
                self.assertOk(result, changed=True)
                self.assertEqual(result['sent'], items)
        self.assertEqual(sign.commands(), ['DOWNLOAD_ALL', 'DOWNLOAD_ALL'])

    def test_diff_names_each_changed_field(self):
        site = self.site_file()
        sign = self.sign()
        outcome = self.workspace.play({'sign': sign.port}, [task('apply', 'config', src=site)], diff=True)
        result = outcome.result('apply', 'sign')
        self.assertOk(result, changed=True)
        diff = result['diff']
        self.assertEqual(changed_fields(diff), SITE_FIELDS)
        self.assertIn(sign.port, diff['before_header'])
        self.assertIn(sign.port, diff['after_header'])
        self.assertIn(site, diff['after_header'])

    def test_options_change_only_what_they_name(self):
        sign = self.sign()
        outcome = self.workspace.play({'sign': sign.port}, [
            task('before', 'info'),
            task('set', 'config', priorities=[{'priority': 2, 'timeout': 60}],
                 links=[{'id': 5, 'capcodes': ['1234567'], 'priority': 3}]),
            task('after set', 'info'),
            task('unlink', 'config', links=[{'id': 5, 'capcodes': []}]),
            task('after unlink', 'info'),
        ])
        before = outcome.result('before', 'sign')['configuration']
        after_set = outcome.result('after set', 'sign')['configuration']
        after_unlink = outcome.result('after unlink', 'sign')['configuration']
        self.assertEqual(outcome.result('set', 'sign')['sent'], ['Priority 2', 'ID 5'])
        self.assertEqual(outcome.result('set', 'sign')['configuration'], after_set)
        self.assertEqual(outcome.result('unlink', 'sign')['sent'], ['ID 5'])

        expected = json.loads(json.dumps(before))
        expected['priorities'][2]['timeout'] = '60'
        expected['links'][5] = {'id': 5, 'capcodes': ['1234567'], 'priority': 3}
        self.assertEqual(after_set, expected)
        expected['links'][5] = before['links'][5]
        self.assertEqual(after_unlink, expected)

    def test_what_the_sign_lacks_fails_after_the_read(self):
        sign = self.sign()
        cases = [
            # task, words its message holds
            (failing('font', 'config', priorities=[{'priority': 1, 'font': 'Huge'}]), ['font', 'Huge']),
            # A factory sign links ID 0 alone: a priority for ID 6 would be sent nowhere.
            (failing('priority without link', 'config', links=[{'id': 6, 'priority': 2}]),
             ['links[0].priority', 'ID 6', 'capcodes']),
        ]
        outcome = self.workspace.play({'sign': sign.port}, [case for case, _ in cases])
        for case, words in cases:
            with self.subTest(task=case['name']):
                result = outcome.result(case['name'], 'sign')
                self.assertTrue(result.get('failed'))
                self.assertFalse(result.get('changed'))
                self.assertEqual(result['rc'], 5)
                for word in words:
                    self.assertIn(word, result['msg'])
        self.assertEqual(sign.commands(), ['DOWNLOAD_ALL'] * len(cases))

    def test_backup_holds_what_the_sign_held(self):
        site = self.site_file()
        state = self.workspace.file('state.cfg', 'pri1=2,2,3,2,2,2,1,45\nlink3=2:5550001,5550002\n')
        sign = self.sign('--config', state)
        _, held = self.saved_configuration(sign, 'held.led')
        folder = os.path.join(self.workspace.path, 'backups')
        backup = task('apply', 'config', src=site, backup=True, backup_options={'dir_path': folder})
        first = self.workspace.play({'sign': sign.port}, [backup]).result('apply', 'sign')
        self.assertOk(first, changed=True)
        # A second run sends nothing and still keeps a backup, beside the first.
        second = self.workspace.play({'sign': sign.port}, [backup]).result('apply', 'sign')
        self.assertOk(second, changed=False)
        self.assertEqual(os.path.dirname(first['backup_file']), folder)
        self.assertNotEqual(first['backup_file'], second['backup_file'])
        with open(first['backup_file'], 'rb') as file:
            self.assertEqual(file.read(), held)
        with open(second['backup_file'], 'rb') as file:
            self.assertEqual(file.read(), self.saved_configuration(sign, 'now.led')[1])

    def test_default_message_sends_only_when_it_differs(self):
        sign = self.sign()
        message = task('message', 'default_message', text='STATION 4\n$T0', color='Red')
        outcome = self.workspace.play({'sign': sign.port}, [message], diff=True)
        result = outcome.result('message', 'sign')
        self.assertOk(result, changed=True)
        self.assertEqual(result['default_message']['text'], 'STATION 4$L$T0')
        self.assertEqual(changed_fields(result['diff']), {'Text', 'Color'})
        self.assertTrue(any(command.startswith('<DF f=') for command in sign.commands()))

        for check in (False, True):
            with self.subTest(check=check):
                mark = sign.mark()
                result = self.workspace.play({'sign': sign.port}, [message], check=check).result('message', 'sign')
                self.assertOk(result, changed=False)
                self.assertEqual(sign.commands(mark), ['DOWNLOAD_DEFAULT_MSG'])

        mark = sign.mark()
        other = task('message', 'default_message', text='STATION 5')
        result = self.workspace.play({'sign': sign.port}, [other], check=True).result('message', 'sign')
        self.assertOk(result, changed=True)
        self.assertEqual(sign.commands(mark), ['DOWNLOAD_DEFAULT_MSG'])

    def test_the_example_site_playbook_runs(self):
        signs = {'station1-sign': self.sign(), 'station2-sign': self.sign(), 'hall-sign': self.sign(tcp=True)}
        site_config = os.path.join(self.workspace.path, 'station.led')
        outcome = self.workspace.run(os.path.join(EXAMPLE, 'site.yml'),
                                     {host: {'sign_port': sign.port, 'site_config': site_config}
                                      for host, sign in signs.items()}, diff=True)
        self.assertEqual(outcome.rc, 0, outcome.stdout[-3000:])
        self.assertEqual(set(outcome.stats), set(signs))
        station_items = ['Priority 2', 'Priority 4', 'the ID mode', 'ID 1', 'ID 2']
        for host, sign in signs.items():
            with self.subTest(host=host):
                self.assertEqual(sign.items(), station_items + (['ID 5'] if host == 'hall-sign' else []))
                commands = sign.commands()
                self.assertTrue(any(command.startswith('<DF f=') for command in commands), commands)
                self.assertTrue(any(command.startswith('<Time time=') for command in commands), commands)


def option_tree(options):
    """Option names with their suboptions', from documentation or an argument spec alike."""
    return {name: option_tree(spec.get('suboptions') or spec.get('options') or {}) for name, spec in options.items()}


# The modules' own code is imported to compare it with their documentation.
sys.path.insert(0, os.environ.get('SIGNCONFIG_COLLECTIONS', os.path.join(HERE, '..', '..', 'ansible')))

if __name__ == '__main__':
    required_path('SIGNSIM')
    unittest.main()
