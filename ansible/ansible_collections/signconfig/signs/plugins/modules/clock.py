# -*- coding: utf-8 -*-
# Copyright (C) 2026 Example Sign Systems <support@example.com>

from __future__ import absolute_import, division, print_function

__metaclass__ = type

DOCUMENTATION = r'''
module: clock
short_description: Set an LED message sign's clock from the managed host's clock
version_added: 1.0.0
description:
  - Sets the clock of the sign on I(port) to the managed host's local date and time with
    C(signconfig-cli set-clock).
  - A sign's clock cannot be read back, so the task always reports C(changed).
  - Keep the managed host's own clock right (NTP); the sign gets whatever time it has.
extends_documentation_fragment:
  - signconfig.signs.cli
attributes:
  check_mode:
    support: full
    description: In check mode nothing is sent; the task reports C(changed) as the clock would be set.
  diff_mode:
    support: none
    description: The sign's clock cannot be read, so there is nothing to compare.
'''

EXAMPLES = r'''
- name: Set every sign's clock
  signconfig.signs.clock:
    port: "{{ sign_port }}"
'''

RETURN = r'''
msg:
  description: What C(signconfig-cli) said.
  returned: always
  type: str
  sample: clock set
'''

from ansible.module_utils.basic import AnsibleModule

from ansible_collections.signconfig.signs.plugins.module_utils import signcli


def argument_spec():
    return dict(signcli.COMMON_ARGUMENT_SPEC)


def main():
    module = AnsibleModule(argument_spec=argument_spec(), supports_check_mode=True)
    program = signcli.find_program(module)
    if module.check_mode:
        module.exit_json(changed=True, msg='the clock would be set from this host\'s clock')
    try:
        answer = signcli.run(module, program, ['set-clock', signcli.option('port', module.params['port'])])
        signcli.raise_unless_done(answer)
    except signcli.CliFailure as failure:
        module.fail_json(msg=failure.msg, rc=failure.rc)
    module.exit_json(changed=True, msg=answer.get('message', ''))


if __name__ == '__main__':
    main()
