# -*- coding: utf-8 -*-
# Copyright (C) 2026 Example Sign Systems <support@example.com>

from __future__ import absolute_import, division, print_function

__metaclass__ = type

DOCUMENTATION = r'''
module: info
short_description: Read the configuration of an LED message sign
version_added: 1.0.0
description:
  - Reads the whole configuration of the sign on I(port) with C(signconfig-cli read) on the
    managed host. That is the display defaults of the five priorities, the eight links from
    message IDs to capcodes, the ID mode and the user command, with the sign's model and build
    number.
  - Nothing is sent to the sign but the request for its configuration; the task never reports
    C(changed).
extends_documentation_fragment:
  - signconfig.signs.cli
attributes:
  check_mode:
    support: full
    description: The sign is read in check mode too.
  diff_mode:
    support: none
    description: Nothing changes.
seealso:
  - module: signconfig.signs.config
'''

EXAMPLES = r'''
- name: Read the sign on the first USB adapter
  signconfig.signs.info:
    port: /dev/ttyUSB0
  register: sign

- name: Show its model and the timeout of priority 2
  ansible.builtin.debug:
    msg: "{{ sign.configuration.model }}: {{ sign.configuration.priorities[2].timeout }} s"
'''

RETURN = r'''
configuration:
  description:
    - The sign's configuration as C(signconfig-cli read --json) gives it.
    - Each of the list choices of a priority (C(font), C(style), C(color), C(speed),
      C(alignment), C(pause), C(beep)) is a dictionary with C(position), the place in the
      model's list (-1 for none), and C(label), the list entry (null when the list has none
      there).
  returned: success
  type: dict
  contains:
    model:
      description: The model the sign reports.
      type: str
      sample: RW2290
    build:
      description: The build number the sign reports, or null.
      type: str
      sample: '41'
    priorities:
      description: The five priorities 0 to 4, with C(priority), the list choices and C(timeout) (seconds, as text).
      type: list
      elements: dict
      sample: [{"priority": 0, "font": {"position": 1, "label": "Normal"}, "timeout": "10"}]
    links:
      description: The eight message IDs 0 to 7 with C(id), C(capcodes) (empty when the ID has no link) and C(priority).
      type: list
      elements: dict
      sample: [{"id": 0, "capcodes": ["1000000"], "priority": 0}]
    autoId:
      description: Whether the sign gives message IDs itself (auto) rather than the user's.
      type: bool
    userCommand:
      description: The user-defined reset command.
      type: str
    unreadable:
      description: Values the sign reported that its model's lists do not hold.
      type: list
      elements: str
'''

from ansible.module_utils.basic import AnsibleModule

from ansible_collections.signconfig.signs.plugins.module_utils import signcli


def argument_spec():
    return dict(signcli.COMMON_ARGUMENT_SPEC)


def main():
    module = AnsibleModule(argument_spec=argument_spec(), supports_check_mode=True)
    program = signcli.find_program(module)
    try:
        answer = signcli.run(module, program, ['read', signcli.option('port', module.params['port'])])
        signcli.raise_unless_done(answer)
    except signcli.CliFailure as failure:
        module.fail_json(msg=failure.msg, rc=failure.rc)
    module.exit_json(changed=False, configuration=answer.get('configuration'), msg=answer.get('message', ''))


if __name__ == '__main__':
    main()
