# -*- coding: utf-8 -*-
# Copyright (C) 2026 Example Sign Systems <support@example.com>
"""signconfig-cli's JSON answers as Ansible's return values: `changed`, what was sent, the
configuration afterwards, and the text of a diff."""

from __future__ import absolute_import, division, print_function

__metaclass__ = type

from ansible_collections.signconfig.signs.plugins.module_utils import signcli

# The display attributes of a priority row: their JSON keys and the captions the windows give
# them ("Priority 2 Align").
ATTRIBUTES = (
    ('font', 'Font'), ('style', 'Style'), ('color', 'Color'), ('speed', 'Speed'),
    ('alignment', 'Align'), ('pause', 'Pause'), ('beep', 'Beep'),
)


def _shown_choice(value):
    """A list choice as {"position": N, "label": "Red"}: its label, or its position when the
    model's list has no entry there."""
    if not isinstance(value, dict):
        return 'none' if value is None else str(value)
    if value.get('label'):
        return value['label']
    position = value.get('position')
    return 'none' if position is None or position < 0 else 'position %s' % position


def configuration_lines(configuration):
    """One line per field of a configuration object ("Priority 2 Timeout: 30"), the parts a
    task manages: priorities, links and the ID mode."""
    lines = []
    for row in configuration.get('priorities') or []:
        number = row.get('priority')
        for key, caption in ATTRIBUTES:
            lines.append('Priority %s %s: %s' % (number, caption, _shown_choice(row.get(key))))
        lines.append('Priority %s Timeout: %s' % (number, row.get('timeout')))
    for link in configuration.get('links') or []:
        capcodes = link.get('capcodes') or []
        priority = link.get('priority')
        lines.append('ID %s Capcode: %s' % (link.get('id'), ','.join(capcodes) if capcodes else 'none'))
        lines.append('ID %s Priority: %s' % (link.get('id'), 'none' if priority is None else priority))
    if 'autoId' in configuration:
        lines.append('ID mode: %s' % ('auto' if configuration['autoId'] else 'user'))
    return lines


def default_message_lines(message):
    """The idle message as the task manages it: its text and its font and colour positions."""
    return ['Text: %s' % message.get('text', ''),
            'Font: %s' % message.get('font'),
            'Color: %s' % message.get('color')]


def diff(before_lines, after_lines, port, source):
    """Ansible's diff: the sign as read against the sign as it is (or would be) afterwards."""
    return dict(before='\n'.join(before_lines) + '\n',
                after='\n'.join(after_lines) + '\n',
                before_header='%s, as read' % port,
                after_header='%s, with %s' % (port, source))


def write_input(priorities=None, links=None, id_mode=None):
    """The configuration the task gives, as `write --json-input` takes it. Only what the task
    names is there: a part or a field left out is left as the sign holds it."""
    data = {}

    def given(entries):
        return [dict((key, value) for key, value in entry.items() if value is not None) for entry in entries]

    if priorities is not None:
        data['priorities'] = given(priorities)
    if links is not None:
        data['links'] = given(links)
    if id_mode is not None:
        data['autoId'] = id_mode == 'auto'
    return data


def write_result(answer, check_mode):
    """The return values of a `write`: `changed` when an item was sent (in check mode: would
    be), `sent` the items, `configuration` what the sign holds afterwards (or would)."""
    signcli.raise_unless_done(answer, check_mode)
    sent = answer.get('toSend' if check_mode else 'sent') or []
    result = dict(changed=bool(sent), sent=sent, msg=answer.get('message', ''))
    if answer.get('configuration') is not None:
        result['configuration'] = answer['configuration']
    if answer.get('backup'):
        result['backup_file'] = answer['backup']
    return result


def write_failure(failure):
    """What a failed `write` still returns: the items that went before it failed (the sign has
    changed then), and the differences a verify found."""
    sent = failure.answer.get('sent') or []
    result = dict(changed=bool(sent), sent=sent)
    for key, name in (('differences', 'differences'), ('backup', 'backup_file')):
        if failure.answer.get(key):
            result[name] = failure.answer[key]
    return result


def default_message_result(answer, check_mode):
    """The return values of `default-message --set`: `changed` when the message was (or would
    be) sent, and the message the sign holds afterwards."""
    signcli.raise_unless_done(answer, check_mode)
    # A program that does not say whether it sent did send: it always did before it compared.
    changed = bool(answer.get('changed', True))
    return dict(changed=changed, default_message=answer.get('defaultMessage'), msg=answer.get('message', ''))
