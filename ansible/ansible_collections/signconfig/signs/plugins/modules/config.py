# -*- coding: utf-8 -*-
# Copyright (C) 2026 Example Sign Systems <support@example.com>

from __future__ import absolute_import, division, print_function

__metaclass__ = type

DOCUMENTATION = r'''
module: config
short_description: Write the configuration of an LED message sign, sending only what differs
version_added: 1.0.0
description:
  - Reads the configuration of the sign on I(port) with C(signconfig-cli write) on the managed
    host, compares it with what the task gives, and sends only the items that differ, one item
    each 500 ms in the order the main window uploads them (priorities 0 to 4, the ID mode, the
    links).
  - What the task gives is either a whole C(.led) file (I(src)) or parts of the configuration as
    options (I(priorities), I(links), I(id_mode)); with options, whatever the task leaves out is
    left as the sign holds it.
  - The task reports C(changed) only when an item was sent, or in check mode would be.
  - The user command and the default message are never sent by this module (see
    M(signconfig.signs.default_message)).
  - A sign that does not answer, a port that does not open, an item the sign refuses and a
    failed verify fail the task for that host with C(signconfig-cli)'s sentence as I(msg) and
    its exit status as I(rc); the other hosts go on. A file or option error fails the task
    before anything is sent.
extends_documentation_fragment:
  - signconfig.signs.cli
attributes:
  check_mode:
    support: full
    description: The sign is read and nothing is sent; C(changed) says whether anything would be.
  diff_mode:
    support: full
    description: >-
      One line per field (C(Priority 2 Timeout: 30)), the sign as read against the sign
      afterwards.
options:
  src:
    description:
      - A C(.led) configuration file on the managed host, as File > Save of the tool or
        C(signconfig-cli read -o) writes it.
      - The file is read and checked whole before the sign is touched. A file saved from another
        sign model is refused.
      - Mutually exclusive with I(priorities), I(links) and I(id_mode).
    type: path
  priorities:
    description:
      - Display defaults of message priorities. Each entry names a I(priority) and only the
        fields to set.
      - A list choice is given by its list position (a whole number) or by its label as the
        tool's window lists it for the sign's model (any letter case). A label the model does
        not have fails the task after the sign is read, and nothing is sent.
    type: list
    elements: dict
    suboptions:
      priority:
        description: The priority, 0 to 4.
        type: int
        required: true
        choices: [0, 1, 2, 3, 4]
      font:
        description: The font, by position or label.
        type: raw
      style:
        description: The style, by position or label.
        type: raw
      color:
        description: The colour, by position or label.
        type: raw
      speed:
        description: The speed, by position or label.
        type: raw
      alignment:
        description: The alignment, by position or label.
        type: raw
      pause:
        description: The pause, by position or label.
        type: raw
      beep:
        description: The beep, by position or label.
        type: raw
      timeout:
        description: How long a message of this priority stays, in seconds.
        type: int
  links:
    description:
      - Links from message IDs to pager capcodes. Each entry names an I(id) and what to set.
    type: list
    elements: dict
    suboptions:
      id:
        description: The message ID, 0 to 7.
        type: int
        required: true
        choices: [0, 1, 2, 3, 4, 5, 6, 7]
      capcodes:
        description:
          - The pager capcodes (digits) the ID is linked to.
          - An empty list removes the link.
        type: list
        elements: str
      priority:
        description:
          - The priority of the ID's messages, 0 to 4.
          - For an ID the sign has no link for, give I(capcodes) as well; a priority alone
            fails the task after the sign is read, and nothing is sent.
          - Not with an empty I(capcodes), which removes the link.
        type: int
        choices: [0, 1, 2, 3, 4]
  id_mode:
    description: Whether the sign gives message IDs itself (C(auto)) or takes the user's (C(user)).
    type: str
    choices: [auto, user]
  force:
    description: Send every item, not only those that differ. The task then always reports C(changed).
    type: bool
    default: false
  verify:
    description:
      - Read the sign back after sending and compare it with what was meant. A difference fails
        the task and names the item.
      - Not done in check mode, nor when nothing was sent (what was just read is what a verify
        would read).
    type: bool
    default: true
  backup:
    description:
      - Save the configuration as read, before anything is sent, to a C(.led) file on the
        managed host (written also when nothing is sent; not in check mode). Its path is
        I(backup_file) in the result.
    type: bool
    default: false
  backup_options:
    description: Where I(backup) saves.
    type: dict
    suboptions:
      dir_path:
        description:
          - The folder, made when missing.
          - Without it, C(signconfig/ansible-backups) in C($XDG_DATA_HOME) (C(~/.local/share)
            when that is not set) of the user the task runs as.
        type: path
      filename:
        description:
          - The file name; C({port}) in it stands for the sign as C(signconfig-cli) names it in
            file names (C(ttyUSB0), C(COM3), C(tcp-host-4001)).
          - Without it, C({port}_) followed by the date and time to the microsecond, C(.led).
        type: str
seealso:
  - module: signconfig.signs.info
  - module: signconfig.signs.default_message
'''

EXAMPLES = r'''
- name: Give every sign the site's configuration, with a backup of what was there
  signconfig.signs.config:
    port: "{{ sign_port }}"
    src: /srv/signs/station.led
    backup: true

- name: Longer messages at priority 2 and a new pager on ID 5; the rest stays
  signconfig.signs.config:
    port: COM3
    priorities:
      - priority: 2
        timeout: 60
        color: Red
    links:
      - id: 5
        capcodes: ["1234567", "1234568"]
        priority: 2

- name: Unlink ID 7 and let the sign give IDs itself
  signconfig.signs.config:
    port: tcp://sign-server:4001
    links:
      - id: 7
        capcodes: []
    id_mode: auto
'''

RETURN = r'''
changed:
  description: Whether an item was sent (in check mode, whether one would be).
  returned: always
  type: bool
sent:
  description:
    - The items sent, in the order they went; in check mode the items that would be sent.
    - When the task fails, the items that went before it failed.
  returned: always
  type: list
  elements: str
  sample: ["Priority 2", "the ID mode", "ID 5"]
configuration:
  description:
    - What the sign holds afterwards (read back when I(verify) is on), in check mode what it
      would hold; the shape of M(signconfig.signs.info)'s I(configuration).
  returned: success
  type: dict
backup_file:
  description: The C(.led) file the configuration as read was saved to.
  returned: when I(backup) is true
  type: str
  sample: /home/signs/.local/share/signconfig/ansible-backups/ttyUSB0_2026-05-01_14-03-22.250731.led
differences:
  description:
    - When the verify failed, what the sign holds that differs from what was meant; each with
      C(item), C(index), C(field), C(onSign), C(here) and C(text).
  returned: failure of the verify
  type: list
  elements: dict
msg:
  description: What C(signconfig-cli) said.
  returned: always
  type: str
  sample: sent Priority 2, ID 5; verified
rc:
  description: The exit status of C(signconfig-cli) when the task failed.
  returned: failure
  type: int
'''

import datetime
import json
import os

from ansible.module_utils.basic import AnsibleModule

from ansible_collections.signconfig.signs.plugins.module_utils import results, signcli

ATTRIBUTE_OPTION = dict(type='raw')
# A whole file or parts of a configuration, never both.
MUTUALLY_EXCLUSIVE = [('src', 'priorities'), ('src', 'links'), ('src', 'id_mode')]
REQUIRED_ONE_OF = [('src', 'priorities', 'links', 'id_mode')]


def argument_spec():
    spec = dict(signcli.COMMON_ARGUMENT_SPEC)
    spec.update(
        src=dict(type='path'),
        priorities=dict(type='list', elements='dict', options=dict(
            priority=dict(type='int', required=True, choices=[0, 1, 2, 3, 4]),
            font=ATTRIBUTE_OPTION, style=ATTRIBUTE_OPTION, color=ATTRIBUTE_OPTION, speed=ATTRIBUTE_OPTION,
            alignment=ATTRIBUTE_OPTION, pause=ATTRIBUTE_OPTION, beep=ATTRIBUTE_OPTION,
            timeout=dict(type='int'),
        )),
        links=dict(type='list', elements='dict', options=dict(
            id=dict(type='int', required=True, choices=list(range(8))),
            capcodes=dict(type='list', elements='str'),
            priority=dict(type='int', choices=[0, 1, 2, 3, 4]),
        )),
        id_mode=dict(type='str', choices=['auto', 'user']),
        force=dict(type='bool', default=False),
        verify=dict(type='bool', default=True),
        backup=dict(type='bool', default=False),
        backup_options=dict(type='dict', options=dict(
            dir_path=dict(type='path'),
            filename=dict(type='str'),
        )),
    )
    return spec


def backup_path(module):
    """Where the backup goes; the folder is made here, as signconfig-cli writes only the file."""
    options = module.params['backup_options'] or {}
    folder = options.get('dir_path')
    if not folder:
        data_home = os.environ.get('XDG_DATA_HOME', '')
        if not os.path.isabs(data_home):
            data_home = os.path.expanduser('~/.local/share')
        folder = os.path.join(data_home, 'signconfig', 'ansible-backups')
    # To the microsecond: two runs in one second must not leave only the second one's backup.
    name = options.get('filename') or '{port}_%s.led' % datetime.datetime.now().strftime('%Y-%m-%d_%H-%M-%S.%f')
    try:
        os.makedirs(folder, exist_ok=True)
    except OSError as error:
        module.fail_json(msg='backup_options.dir_path %s: the folder cannot be made: %s. Nothing was sent.'
                         % (folder, error.strerror))
    return os.path.join(folder, name)


def main():
    module = AnsibleModule(
        argument_spec=argument_spec(),
        mutually_exclusive=MUTUALLY_EXCLUSIVE,
        required_one_of=REQUIRED_ONE_OF,
        supports_check_mode=True,
    )
    params = module.params
    program = signcli.find_program(module)
    data = None
    if params['src']:
        # An absolute path never starts with "-", so it is never read as an option.
        source = os.path.abspath(params['src'])
        arguments = ['write', source]
    else:
        source = 'the task\'s options'
        arguments = ['write', '--json-input']
        data = json.dumps(results.write_input(params['priorities'], params['links'], params['id_mode']))
    arguments.append(signcli.option('port', params['port']))
    if params['force']:
        arguments.append('--force')
    if module.check_mode:
        arguments.append('--check')
    else:
        if params['verify']:
            arguments.append('--verify')
        if params['backup']:
            arguments.append(signcli.option('backup', backup_path(module)))

    try:
        answer = signcli.run(module, program, arguments, data)
        result = results.write_result(answer, module.check_mode)
    except signcli.CliFailure as failure:
        msg = failure.msg
        if params['src'] and failure.rc == signcli.FILE_ERROR and not failure.answer:
            # The file was refused before any sign was touched; the program names the file.
            msg = 'src: ' + msg
        module.fail_json(msg=msg, rc=failure.rc, **results.write_failure(failure))
    if module._diff and answer.get('before') and answer.get('configuration'):
        result['diff'] = results.diff(results.configuration_lines(answer['before']),
                                      results.configuration_lines(answer['configuration']),
                                      answer.get('port', params['port']), source)
    module.exit_json(**result)


if __name__ == '__main__':
    main()
