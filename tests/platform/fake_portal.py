'''A desktop portal with only the GlobalShortcuts interface, for Ovelin's tests (a python-dbusmock
template). Every request succeeds at once; what the client asked is kept as lines the test reads
through org.ovelin.FakePortal.Recorded, and Activate(id) presses a shortcut of the last session.
Parameters: {"version": n} (1 unless given), {"shortcuts": false}: the portal answers on its name
but has no GlobalShortcuts interface (xdg-desktop-portal before 1.18).'''

import dbus
from dbusmock import mockobject

BUS_NAME = 'org.freedesktop.portal.Desktop'
MAIN_OBJ = '/org/freedesktop/portal/desktop'
MAIN_IFACE = 'org.freedesktop.portal.GlobalShortcuts'
SYSTEM_BUS = False
TEST_IFACE = 'org.ovelin.FakePortal'


def load(mock, parameters):
    mock.client = ''
    mock.recorded = []
    mock.sessions = []
    mock.AddMethods(TEST_IFACE, [
        ('SetClient', 's', '', set_client),
        ('Recorded', '', 'as', lambda self: self.recorded),
        ('Activate', 's', '', activate),
    ])
    if not parameters.get('shortcuts', True):
        return
    mock.AddProperty(MAIN_IFACE, 'version', dbus.UInt32(parameters.get('version', 1)))
    mock.AddMethods(MAIN_IFACE, [
        ('CreateSession', 'a{sv}', 'o', create_session),
        ('BindShortcuts', 'oa(sa{sv})sa{sv}', 'o', bind_shortcuts),
    ])


def set_client(self, name):
    self.client = name


def sender_element(self):
    return self.client.lstrip(':').replace('.', '_')


def add_object(path, interface, methods):
    if path not in mockobject.objects:
        mockobject.objects[MAIN_OBJ].AddObject(path, interface, {}, methods)
    return mockobject.objects[path]


def respond(self, token, results):
    # Answered before the call returns, as a fast portal may: the client must listen first.
    path = f'{MAIN_OBJ}/request/{sender_element(self)}/{token}'
    request = add_object(path, 'org.freedesktop.portal.Request', [])
    request.EmitSignal('org.freedesktop.portal.Request', 'Response', 'ua{sv}', [dbus.UInt32(0), results])
    return dbus.ObjectPath(path)


def create_session(self, options):
    self.recorded.append('CreateSession ' + ' '.join(f'{k}={options[k]}' for k in sorted(options)))
    session = f'{MAIN_OBJ}/session/{sender_element(self)}/{options["session_handle_token"]}'
    add_object(session, 'org.freedesktop.portal.Session',
               [('Close', '', '', lambda _session: self.recorded.append('Close ' + session))])
    self.sessions.append(session)
    return respond(self, options['handle_token'], {'session_handle': dbus.String(session)})


def bind_shortcuts(self, session, shortcuts, parent_window, options):
    for shortcut_id, properties in shortcuts:
        described = ' '.join(f'{k}={properties[k]}' for k in sorted(properties))
        self.recorded.append(f'BindShortcuts {session} {shortcut_id} {described}')
    return respond(self, options['handle_token'], {'shortcuts': dbus.Array(shortcuts, signature='(sa{sv})')})


def activate(self, shortcut_id):
    self.EmitSignal(MAIN_IFACE, 'Activated', 'osta{sv}',
                    [dbus.ObjectPath(self.sessions[-1]), shortcut_id, dbus.UInt64(0), dbus.Dictionary({}, signature='sv')])
