# -*- coding: utf-8 -*-
# Copyright (C) 2026 Example Sign Systems <support@example.com>

from __future__ import absolute_import, division, print_function

__metaclass__ = type

DOCUMENTATION = r'''
module: default_message
short_description: Set the idle message of an LED message sign, with its font and colour
version_added: 1.0.0
description:
  - Reads the default (idle) message of the sign on I(port) with
    C(signconfig-cli default-message) on the managed host and sends the task's message only
    when its text, font or colour differ from what the sign holds.
  - A font or colour the sign's model does not have fails the task, and nothing is sent.
extends_documentation_fragment:
  - signconfig.signs.cli
attributes:
  check_mode:
    support: full
    description: The message is read and nothing is sent; C(changed) says whether it would be.
  diff_mode:
    support: full
    description: The text, font and colour as read against what the sign holds afterwards.
options:
  text:
    description:
      - The message. Each line of the text is a line of the sign's message.
      - C($T0) to C($T7) stand for the date and time fields of the tool's default-message window.
      - An empty text removes the message.
    type: str
    required: true
  font:
    description:
      - The font, by its name as the tool's window lists it for the sign's model (any letter
        case) or by list position.
      - Without it, the font the sign holds.
    type: raw
  color:
    description:
      - The colour, by name or list position as I(font).
      - Without it, the colour the sign holds.
    type: raw
seealso:
  - module: signconfig.signs.clock
'''

EXAMPLES = r'''
- name: The station's name in red, the time below it
  signconfig.signs.default_message:
    port: "{{ sign_port }}"
    text: |-
      STATION 4
      $T0
    font: Normal
    color: Red
'''

RETURN = r'''
changed:
  description: Whether the message was sent (in check mode, whether it would be).
  returned: always
  type: bool
default_message:
  description:
    - The message the sign holds afterwards (in check mode, would hold), as
      C(signconfig-cli default-message --json) gives it.
  returned: success
  type: dict
  contains:
    text:
      description: The text, line breaks as C($L), date and time fields as C($T0) to C($T7).
      type: str
      sample: STATION 4$L$T0
    font:
      description: The font's list position.
      type: int
    color:
      description: The colour's list position.
      type: int
msg:
  description: What C(signconfig-cli) said.
  returned: always
  type: str
rc:
  description: The exit status of C(signconfig-cli) when the task failed.
  returned: failure
  type: int
'''

from ansible.module_utils.basic import AnsibleModule

from ansible_collections.signconfig.signs.plugins.module_utils import results, signcli


def argument_spec():
    spec = dict(signcli.COMMON_ARGUMENT_SPEC)
    spec.update(text=dict(type='str', required=True), font=dict(type='raw'), color=dict(type='raw'))
    return spec


def main():
    module = AnsibleModule(argument_spec=argument_spec(), supports_check_mode=True)
    params = module.params
    program = signcli.find_program(module)

    arguments = ['default-message', signcli.option('port', params['port'])]
    # One --set a line; an empty text is one empty line, which removes the message.
    for line in params['text'].split('\n'):
        arguments.append(signcli.option('set', line))
    for name in ('font', 'color'):
        if params[name] is not None:
            arguments.append(signcli.option(name, params[name]))
    if module.check_mode:
        arguments.append('--check')

    try:
        answer = signcli.run(module, program, arguments)
        result = results.default_message_result(answer, module.check_mode)
    except signcli.CliFailure as failure:
        module.fail_json(msg=failure.msg, rc=failure.rc)
    if module._diff and answer.get('before') and answer.get('defaultMessage'):
        result['diff'] = results.diff(results.default_message_lines(answer['before']),
                                      results.default_message_lines(answer['defaultMessage']),
                                      answer.get('port', params['port']), 'the task\'s message')
    module.exit_json(**result)


if __name__ == '__main__':
    main()
