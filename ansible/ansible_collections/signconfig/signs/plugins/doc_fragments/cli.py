# -*- coding: utf-8 -*-
# Copyright (C) 2026 Example Sign Systems <support@example.com>
"""The options every module of signconfig.signs takes, documented once."""

from __future__ import absolute_import, division, print_function

__metaclass__ = type


class ModuleDocFragment(object):
    DOCUMENTATION = r'''
author:
  - Example Sign Systems (support@example.com)
options:
  port:
    description:
      - The sign, as C(signconfig-cli --port) takes it on the managed host.
      - A COM number (C(COM3) or C(3)) opened through the port map in
        C(~/.config/signconfig/ports/) of the user the task runs as, a device path such as
        C(/dev/ttyUSB0) or C(/dev/serial/by-id/...), or a sign behind a serial device server,
        C(tcp://HOST:PORT) or C(rfc2217://HOST:PORT).
    type: str
    required: true
  cli_path:
    description:
      - The path of C(signconfig-cli) on the managed host.
      - Without it the program is looked for on the C(PATH) of the task; the Debian package
        C(signconfig) installs it as C(/usr/bin/signconfig-cli).
      - To give it to every module of the collection at once, use
        C(module_defaults) with the group C(group/signconfig.signs.all).
    type: path
requirements:
  - C(signconfig-cli) on the managed host (Debian package C(signconfig)).
notes:
  - The user the task runs as needs access to the port (the group C(dialout) for serial devices).
  - A sign takes one connection at a time; give each sign to one host of the inventory.
'''
