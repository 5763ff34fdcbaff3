"""What the tests and the benchmark share: .led files (a sign's configuration as
signconfig-cli saves it, and the same with some of its lines changed) and the reading of a
module's diff."""

import difflib
import subprocess

# What the site's file changes on a factory sign: priority 2's colour and timeout, a link for
# ID 5 and the ID mode; the items a write of it sends, and the fields a diff of it shows.
SITE_CHANGES = {'Pri2:': 'Pri2:3,3,4,3,1,3,2,60', 'LinkID5:': 'LinkID5:1234567,3', 'AutoID:': 'AutoID:0'}
SITE_ITEMS = ['Priority 2', 'the ID mode', 'ID 5']
SITE_FIELDS = {'Priority 2 Color', 'Priority 2 Timeout', 'ID 5 Capcode', 'ID 5 Priority', 'ID mode'}


def save_configuration(cli, port, path):
    """The sign's configuration saved by `signconfig-cli read -o`; returns the file's bytes."""
    subprocess.run([cli, 'read', '--port=' + port, '-o', path], check=True, capture_output=True, timeout=60)
    with open(path, 'rb') as file:
        return file.read()


def with_changes(saved, changes):
    """A .led file's bytes with the lines whose key `changes` names replaced."""
    lines = [changes.get(line.split(':')[0] + ':', line) for line in saved.decode('latin-1').splitlines()]
    return ('\r\n'.join(lines) + '\r\n').encode('latin-1')


def changed_fields(diff):
    """The field names ("Priority 2 Color") of the lines an Ansible diff changes."""
    lines = difflib.unified_diff(diff['before'].splitlines(), diff['after'].splitlines(), lineterm='', n=0)
    return {line[1:].split(':')[0] for line in lines
            if line[:1] in '+-' and not line.startswith(('+++', '---'))}
