"""The collection's translation of signconfig-cli's answers into Ansible's return values, its
diff text, and the checking of a task's options, on answers the program gives."""

import json
import os
import sys
import unittest

HERE = os.path.dirname(os.path.abspath(__file__))
sys.path.insert(0, os.path.join(HERE, '..', '..', 'ansible'))
sys.path.insert(0, HERE)

from ansible.module_utils.common.arg_spec import ArgumentSpecValidator  # noqa: E402

from ansible_collections.signconfig.signs.plugins.module_utils import results, signcli  # noqa: E402
from ansible_collections.signconfig.signs.plugins.modules import config as config_module  # noqa: E402
from fixtures import SITE_FIELDS, changed_fields  # noqa: E402


def answer(name):
    with open(os.path.join(HERE, 'answers', name + '.json'), encoding='utf-8') as file:
        return json.load(file)


class ReadAnswerTest(unittest.TestCase):
    def test_one_object_is_the_answer(self):
        text = json.dumps(answer('read'))
        self.assertEqual(signcli.read_answer(0, text + '\n', '')['configuration']['model'], 'RW2290')

    def test_no_object_fails_with_what_the_program_said(self):
        usage = ('\n\nUsage:\n  signconfig-cli ports\n  signconfig-cli read --port P [-o FILE.led]\n'
                 'Options and exit status: signconfig-cli --help\n')
        cases = [
            (5, 'signconfig-cli: /srv/site.led: no such file\n', '/srv/site.led: no such file'),
            (5, 'signconfig-cli: notled.led:1: not a setting of a .led file: "hello"\n',
             'notled.led:1: not a setting of a .led file: "hello"'),
            (2, "signconfig-cli: Unknown option 'check'." + usage, "Unknown option 'check'."),
            (6, '', 'signconfig-cli ended with exit status 6 and said nothing'),
        ]
        for rc, stderr, msg in cases:
            with self.subTest(msg=msg):
                with self.assertRaises(signcli.CliFailure) as caught:
                    signcli.read_answer(rc, '', stderr)
                self.assertEqual((caught.exception.msg, caught.exception.rc), (msg, rc))

    def test_output_that_is_not_one_answer_fails(self):
        one = json.dumps(answer('read'))
        for stdout in ('Segmentation fault\n', one + '\n' + one + '\n', '[1, 2]\n', '{"port": "COM1"}\n'):
            with self.subTest(stdout=stdout[:30]):
                with self.assertRaises(signcli.CliFailure):
                    signcli.read_answer(0, stdout, '')


class WriteResultTest(unittest.TestCase):
    def test_success(self):
        items = ['Priority 2', 'the ID mode', 'ID 5']
        cases = [
            # answer, check mode, changed, sent
            ('write-verified', False, True, items),
            ('write-nothing-verified', False, False, []),
            ('write-check-would-send', True, True, items),
            ('write-check-nothing', True, False, []),
            ('write-verified-backup', False, True, items),
        ]
        for name, check, changed, sent in cases:
            with self.subTest(answer=name):
                result = results.write_result(answer(name), check)
                self.assertEqual((result['changed'], result['sent']), (changed, sent))
                self.assertEqual(result['msg'], answer(name)['message'])

    def test_configuration_and_backup_are_passed_on(self):
        given = answer('write-verified-backup')
        result = results.write_result(given, False)
        self.assertEqual(result['configuration'], given['configuration'])
        self.assertEqual(result['backup_file'], '/home/signs/backups/pts-0.led')
        self.assertNotIn('backup_file', results.write_result(answer('write-verified'), False))

    def test_failures_carry_the_sentence_the_status_and_what_went(self):
        cases = [
            # answer, check mode, rc, words of msg, changed
            ('write-verify-failed', False, 1, 'verify failed: Priority 2 Color', True),
            ('write-no-answer', False, 4, 'No answer from the sign on /dev/pts/3', False),
            ('read-no-port', False, 3, '/dev/nonexistent does not exist', False),
            # Outside check mode "something would be sent" is no answer the program gives:
            # exit status 1 there is a refusal or a failed verify.
            ('write-check-would-send', False, 1, 'would send', False),
        ]
        for name, check, rc, words, changed in cases:
            with self.subTest(answer=name):
                with self.assertRaises(signcli.CliFailure) as caught:
                    results.write_result(answer(name), check)
                failure = caught.exception
                self.assertEqual(failure.rc, rc)
                self.assertIn(words, failure.msg)
                self.assertEqual(results.write_failure(failure)['changed'], changed)

    def test_a_failed_verify_returns_the_differences(self):
        with self.assertRaises(signcli.CliFailure) as caught:
            results.write_result(answer('write-verify-failed'), False)
        returned = results.write_failure(caught.exception)
        self.assertEqual(returned['sent'], ['Priority 2', 'the ID mode', 'ID 5'])
        self.assertEqual([(d['item'], d['index'], d['field']) for d in returned['differences']],
                         [('priority', 2, 'color')])


class DiffTest(unittest.TestCase):
    def test_configuration_lines(self):
        lines = results.configuration_lines(answer('read')['configuration'])
        # Eight fields of five priorities, two of eight links, the ID mode.
        self.assertEqual(len(lines), 5 * 8 + 8 * 2 + 1)
        for line in ('Priority 0 Font: Small Normal 5 row', 'Priority 2 Timeout: 30', 'Priority 4 Align: Right',
                     'ID 0 Capcode: 1000000', 'ID 0 Priority: 0', 'ID 7 Capcode: none', 'ID 7 Priority: none',
                     'ID mode: auto'):
            with self.subTest(line=line):
                self.assertIn(line, lines)

    def test_a_choice_without_label(self):
        configuration = answer('read')['configuration']
        configuration['priorities'][1]['font'] = {'position': 64, 'label': None}
        configuration['priorities'][1]['beep'] = {'position': -1, 'label': None}
        lines = results.configuration_lines(configuration)
        self.assertIn('Priority 1 Font: position 64', lines)
        self.assertIn('Priority 1 Beep: none', lines)

    def test_diff_names_each_changed_field_and_both_sides(self):
        given = answer('write-check-would-send')
        diff = results.diff(results.configuration_lines(given['before']),
                            results.configuration_lines(given['configuration']), given['port'], '/srv/site.led')
        # The answer is of a write of the tests' site file to a factory sign.
        self.assertEqual(changed_fields(diff), SITE_FIELDS)
        self.assertIn('/dev/pts/0', diff['before_header'])
        self.assertIn('/dev/pts/0', diff['after_header'])
        self.assertIn('/srv/site.led', diff['after_header'])

    def test_default_message_diff(self):
        given = answer('default-message-check-would-send')
        diff = results.diff(results.default_message_lines(given['before']),
                            results.default_message_lines(given['defaultMessage']), given['port'], 'the task')
        self.assertEqual(changed_fields(diff), {'Text', 'Color'})
        self.assertIn('Text: -- CLOSED --$L$T0', diff['after'])


class WriteInputTest(unittest.TestCase):
    def test_only_what_the_task_names(self):
        priorities = [dict(priority=2, font=None, style=None, color='Red', speed=None, alignment=None,
                           pause=3, beep=None, timeout=60)]
        links = [dict(id=5, capcodes=['1234567'], priority=None), dict(id=7, capcodes=[], priority=None)]
        cases = [
            (dict(priorities=priorities), {'priorities': [{'priority': 2, 'color': 'Red', 'pause': 3, 'timeout': 60}]}),
            # An empty capcode list stays: it removes the link.
            (dict(links=links), {'links': [{'id': 5, 'capcodes': ['1234567']}, {'id': 7, 'capcodes': []}]}),
            (dict(id_mode='auto'), {'autoId': True}),
            (dict(id_mode='user', links=[]), {'autoId': False, 'links': []}),
        ]
        for given, expected in cases:
            with self.subTest(given=given):
                self.assertEqual(results.write_input(**given), expected)


class DefaultMessageResultTest(unittest.TestCase):
    def test_changed_is_what_the_program_says(self):
        cases = [
            ('default-message-check-would-send', True, True),
            ('default-message-unchanged', False, False),
            # An answer that does not say whether it sent: the message went.
            ('default-message-sent', False, True),
        ]
        for name, check, changed in cases:
            with self.subTest(answer=name):
                result = results.default_message_result(answer(name), check)
                self.assertEqual(result['changed'], changed)
                self.assertEqual(result['default_message'], answer(name)['defaultMessage'])

    def test_a_font_the_model_lacks_fails(self):
        with self.assertRaises(signcli.CliFailure) as caught:
            results.default_message_result(answer('default-message-bad-font'), False)
        self.assertEqual(caught.exception.rc, 2)
        self.assertIn('no font "Huge" on a RW2290', caught.exception.msg)


class ConfigOptionsTest(unittest.TestCase):
    """The config module's options are checked before signconfig-cli runs: the message names
    the option and the value."""

    def validate(self, parameters):
        spec = config_module.argument_spec()
        validator = ArgumentSpecValidator(spec, mutually_exclusive=config_module.MUTUALLY_EXCLUSIVE,
                                          required_one_of=config_module.REQUIRED_ONE_OF)
        return validator.validate(dict(dict(port='COM1'), **parameters))

    def test_refused(self):
        cases = [
            (dict(), ['src', 'priorities', 'links', 'id_mode']),
            (dict(src='/srv/site.led', links=[dict(id=1, capcodes=[])]), ['src', 'links']),
            (dict(priorities=[dict(priority=7)]), ['priority', '7']),
            (dict(priorities=[dict(timeout=30)]), ['priority']),
            # Ansible's own conversion names the option but not the value.
            (dict(priorities=[dict(priority=1, timeout='half')]), ['timeout', 'priorities']),
            (dict(priorities=[dict(priority=1, colour='Red')]), ['colour']),
            (dict(links=[dict(id=8, capcodes=['1'])]), ['id', '8']),
            (dict(links=[dict(id=1, priority=5)]), ['priority', '5']),
            (dict(id_mode='automatic'), ['id_mode', 'automatic']),
            (dict(colour='Red', id_mode='auto'), ['colour']),
        ]
        for parameters, words in cases:
            with self.subTest(parameters=parameters):
                errors = ' '.join(self.validate(parameters).error_messages)
                for word in words:
                    self.assertIn(word, errors)

    def test_taken(self):
        cases = [
            (dict(src='/srv/site.led'), 'src', '/srv/site.led'),
            # A single capcode, as YAML gives a bare number, is a list of one text.
            (dict(links=[dict(id=1, capcodes=1234567)]), 'links', [dict(id=1, capcodes=['1234567'], priority=None)]),
            (dict(priorities=[dict(priority='2', color='Red')]), 'priorities',
             [dict(priority=2, font=None, style=None, color='Red', speed=None, alignment=None, pause=None, beep=None,
                   timeout=None)]),
        ]
        for parameters, name, value in cases:
            with self.subTest(parameters=parameters):
                validated = self.validate(parameters)
                self.assertEqual(validated.error_messages, [])
                self.assertEqual(validated.validated_parameters[name], value)


if __name__ == '__main__':
    unittest.main()
