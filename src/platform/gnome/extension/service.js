// Ovelin's companion inside GNOME Shell: what a clipboard manager needs from the compositor,
// offered on the session bus to the running Ovelin and to no other process.
//
// Shared by both flavours of the extension: the build puts the flavour's imports of Clutter, Gio,
// GLib, Meta, Shell and Main in front of this file and its entry points after it.
// Nothing here stores what was copied beyond one answer, writes to disk or logs content.

const INTERFACE_VERSION = 2;
const BUS_NAME = 'app.ovelin.Shell';
const OBJECT_PATH = '/app/ovelin/Shell';
const INTERFACE_NAME = 'app.ovelin.Shell1';
const OVELIN_NAME = 'app.ovelin.Ovelin';
const OVELIN_PATH = '/app/ovelin/Ovelin';
const OVELIN_EXECUTABLE = 'ovelin';
const MAX_READ_BYTES = 64 * 1024 * 1024;
const READ_STALL_MS = 5000;
const READ_LIMIT_MS = 55000;
const FOCUS_TIMEOUT_MS = 1000;
const WINDOW_TIMEOUT_MS = 1000;
const MAX_FORMAT_NAME = 1024;
const SECRET_HINT = 'x-kde-passwordManagerHint';
const SHORTCUT_KEY = 'toggle-panel';
const SCHEMA_ID = 'org.gnome.shell.extensions.ovelin';
const ERROR_PREFIX = 'app.ovelin.Shell1.Error.';

const INTERFACE_XML = `<node>
  <interface name="${INTERFACE_NAME}">
    <method name="Hello">
      <arg type="u" name="ovelinVersion" direction="in"/>
      <arg type="u" name="version" direction="out"/>
      <arg type="s" name="shellVersion" direction="out"/>
    </method>
    <method name="Subscribe">
      <arg type="u" name="serial" direction="out"/>
      <arg type="as" name="formats" direction="out"/>
      <arg type="s" name="owner" direction="out"/>
      <arg type="b" name="concealed" direction="out"/>
    </method>
    <method name="ReadFormat">
      <arg type="u" name="serial" direction="in"/>
      <arg type="s" name="format" direction="in"/>
      <arg type="h" name="sink" direction="in"/>
    </method>
    <method name="SetClipboard">
      <arg type="a{say}" name="formats" direction="in"/>
    </method>
    <method name="Paste">
      <arg type="t" name="window" direction="in"/>
      <arg type="s" name="keys" direction="in"/>
    </method>
    <method name="FrontWindow">
      <arg type="t" name="window" direction="out"/>
      <arg type="s" name="appId" direction="out"/>
      <arg type="s" name="title" direction="out"/>
      <arg type="x" name="pid" direction="out"/>
    </method>
    <method name="Activate">
      <arg type="t" name="window" direction="in"/>
      <arg type="b" name="done" direction="out"/>
    </method>
    <method name="RunningApps">
      <arg type="as" name="appIds" direction="out"/>
    </method>
    <method name="PlaceAtPointer">
      <arg type="s" name="title" direction="in"/>
      <arg type="b" name="placed" direction="out"/>
    </method>
    <method name="SetShortcut">
      <arg type="s" name="accelerator" direction="in"/>
      <arg type="b" name="bound" direction="out"/>
    </method>
    <signal name="ClipboardChanged">
      <arg type="u" name="serial"/>
      <arg type="as" name="formats"/>
      <arg type="s" name="owner"/>
      <arg type="b" name="concealed"/>
    </signal>
  </interface>
</node>`;

function busCall(method, args, type) {
    return new Promise((resolve, reject) => {
        Gio.DBus.session.call('org.freedesktop.DBus', '/org/freedesktop/DBus', 'org.freedesktop.DBus',
            method, args, new GLib.VariantType(type), Gio.DBusCallFlags.NONE, -1, null,
            (connection, result) => {
                try {
                    resolve(connection.call_finish(result).deepUnpack()[0]);
                } catch (e) {
                    reject(e);
                }
            });
    });
}

function processOf(name) {
    return busCall('GetConnectionUnixProcessID', new GLib.Variant('(s)', [name]), '(u)');
}

// An executable replaced by an upgrade while it runs reads "… (deleted)".
function executableName(pid) {
    try {
        const path = GLib.file_read_link(`/proc/${pid}/exe`).replace(/ \(deleted\)$/, '');
        return GLib.path_get_basename(path);
    } catch (e) {
        return '';
    }
}

function appIdOf(window) {
    if (!window)
        return '';
    const wmClass = window.get_wm_class();
    if (wmClass)
        return wmClass;
    const app = Shell.WindowTracker.get_default().get_window_app(window);
    return app?.get_id()?.replace(/\.desktop$/, '') ?? '';
}

// The format a selection source of the shell's offers: one per source, since GJS cannot implement
// a source's asynchronous read (its callback argument), so plain text first, then an image.
function preferredFormat(entries) {
    const order = ['text/plain;charset=utf-8', 'text/plain', 'image/png', 'text/uri-list'];
    for (const name of order) {
        const entry = entries.find(([format]) => format === name);
        if (entry)
            return entry;
    }
    return entries[0];
}

// An error reply of its own name: one of the interface's errors (`NotFocused`) or a full name.
class ServiceError extends Error {
    constructor(name, message) {
        super(message);
        this.dbusName = name.includes('.') ? name : `${ERROR_PREFIX}${name}`;
    }
}

var OvelinService = class OvelinService {
    constructor(extensionPath, shellVersion) {
        this._path = extensionPath;
        this._shellVersion = shellVersion;
        this._subscribers = new Map(); // unique name -> NameOwnerChanged subscription
        this._pending = new Set(); // cancellables of reads and waits in flight
        this._serial = 0;
        this._state = {formats: [], owner: '', concealed: false};
        this._selectionHandler = 0;
        this._keyboard = null;
        this._settings = null;
        this._shortcutBound = false;
    }

    start() {
        this._dbus = Gio.DBusExportedObject.wrapJSObject(INTERFACE_XML, this);
        this._dbus.export(Gio.DBus.session, OBJECT_PATH);
        this._nameId = Gio.bus_own_name_on_connection(Gio.DBus.session, BUS_NAME, Gio.BusNameOwnerFlags.NONE,
            null, null);
        // A new Ovelin subscribes anew; the one before is forgotten with its name.
        this._ovelinWatch = Gio.DBus.session.signal_subscribe('org.freedesktop.DBus', 'org.freedesktop.DBus',
            'NameOwnerChanged', '/org/freedesktop/DBus', OVELIN_NAME, Gio.DBusSignalFlags.NONE,
            () => this._forgetSubscribers());
    }

    stop() {
        for (const cancellable of this._pending)
            cancellable.cancel();
        this._pending.clear();
        this._forgetSubscribers();
        Gio.DBus.session.signal_unsubscribe(this._ovelinWatch);
        this._unbindShortcut();
        this._settings = null;
        this._keyboard?.run_dispose();
        this._keyboard = null;
        Gio.bus_unown_name(this._nameId);
        this._dbus.unexport();
        this._dbus = null;
    }

    // Every other method answers the process that owns Ovelin's name and runs an executable named
    // ovelin; anyone else, or anything that fails along the way, gets AccessDenied.
    async _authorize(invocation) {
        try {
            const sender = invocation.get_sender();
            const [ovelinPid, callerPid] = await Promise.all([processOf(OVELIN_NAME), processOf(sender)]);
            if (ovelinPid === callerPid && executableName(callerPid) === OVELIN_EXECUTABLE)
                return callerPid;
        } catch (e) {
        }
        invocation.return_dbus_error('org.freedesktop.DBus.Error.AccessDenied',
            'Only the running Ovelin may use this service');
        return 0;
    }

    // Answers an authorized call: `handler` gets the caller's pid and gives the reply's values of
    // `signature`, at once or through a promise; without a signature what it gives is the reply as
    // it stands (none for nothing). What it throws is the error reply: Failed, or a ServiceError's.
    _serve(invocation, signature, handler) {
        this._authorize(invocation).then(async pid => {
            if (!pid)
                return;
            try {
                const values = await handler(pid);
                invocation.return_value(signature ? new GLib.Variant(signature, values) : values ?? null);
            } catch (e) {
                invocation.return_dbus_error(e.dbusName ?? `${ERROR_PREFIX}Failed`, String(e.message));
            }
        });
    }

    // Versions only, to anyone: Ovelin asks before its name on the bus is its own.
    HelloAsync([version], invocation) {
        if (version !== INTERFACE_VERSION)
            log(`Ovelin speaks interface version ${version}, this extension ${INTERFACE_VERSION}`);
        invocation.return_value(new GLib.Variant('(us)', [INTERFACE_VERSION, this._shellVersion]));
    }

    SubscribeAsync(params, invocation) {
        this._serve(invocation, '(uassb)', () => {
            const sender = invocation.get_sender();
            if (!this._subscribers.has(sender)) {
                const id = Gio.DBus.session.signal_subscribe('org.freedesktop.DBus', 'org.freedesktop.DBus',
                    'NameOwnerChanged', '/org/freedesktop/DBus', sender, Gio.DBusSignalFlags.NONE,
                    (c, s, p, i, n, args) => {
                        if (args.deepUnpack()[2] === '')
                            this._unsubscribe(sender);
                    });
                this._subscribers.set(sender, id);
            }
            this._watchSelection(true);
            const {formats, owner, concealed} = this._state;
            return [this._serial, formats, owner, concealed];
        });
    }

    _unsubscribe(sender) {
        const id = this._subscribers.get(sender);
        if (id === undefined)
            return;
        Gio.DBus.session.signal_unsubscribe(id);
        this._subscribers.delete(sender);
        if (this._subscribers.size === 0)
            this._watchSelection(false);
    }

    _forgetSubscribers() {
        for (const sender of [...this._subscribers.keys()])
            this._unsubscribe(sender);
    }

    // The selection is watched only while Ovelin listens: idle, the shell does nothing for us.
    _watchSelection(on) {
        const selection = global.display.get_selection();
        if (on && !this._selectionHandler) {
            this._selectionHandler = selection.connect('owner-changed', (s, type) => {
                if (type === Meta.SelectionType.SELECTION_CLIPBOARD)
                    this._clipboardChanged();
            });
            this._clipboardChanged();
        } else if (!on && this._selectionHandler) {
            selection.disconnect(this._selectionHandler);
            this._selectionHandler = 0;
        }
    }

    _clipboardChanged() {
        const serial = ++this._serial;
        const offered = global.display.get_selection().get_mimetypes(Meta.SelectionType.SELECTION_CLIPBOARD);
        // A client needs an input serial to take the clipboard: the owner is the focused window.
        const owner = appIdOf(global.display.focus_window);
        const formats = offered.filter(name => name.length <= MAX_FORMAT_NAME);
        const announce = concealed => {
            if (serial !== this._serial)
                return;
            this._state = {formats, owner, concealed};
            for (const sender of this._subscribers.keys()) {
                Gio.DBus.session.emit_signal(sender, OBJECT_PATH, INTERFACE_NAME, 'ClipboardChanged',
                    new GLib.Variant('(uassb)', [serial, formats, owner, concealed]));
            }
        };
        if (!formats.includes(SECRET_HINT))
            return announce(false);
        this._transfer(SECRET_HINT, 64, (bytes, error) =>
            announce(!error && new TextDecoder().decode(bytes.toArray()).trim() === 'secret'));
    }

    // Reads one format with a cap. An owner that sends nothing for READ_STALL_MS, or has not
    // finished after READ_LIMIT_MS, costs a time-out, never the shell; a large answer that keeps
    // coming is read to its end, as on the other desktops.
    _transfer(format, limit, done) {
        const stream = Gio.MemoryOutputStream.new_resizable();
        const cancellable = new Gio.Cancellable();
        const started = GLib.get_monotonic_time();
        let timedOut = false, received = 0, progressed = started;
        const timer = GLib.timeout_add(GLib.PRIORITY_DEFAULT, 500, () => {
            const now = GLib.get_monotonic_time();
            if (stream.get_data_size() > received) {
                received = stream.get_data_size();
                progressed = now;
            }
            if (now - progressed < READ_STALL_MS * 1000 && now - started < READ_LIMIT_MS * 1000)
                return GLib.SOURCE_CONTINUE;
            timedOut = true;
            cancellable.cancel();
            return GLib.SOURCE_REMOVE;
        });
        this._pending.add(cancellable);
        global.display.get_selection().transfer_async(Meta.SelectionType.SELECTION_CLIPBOARD, format, limit + 1,
            stream, cancellable, (selection, result) => {
                if (!timedOut)
                    GLib.source_remove(timer);
                this._pending.delete(cancellable);
                try {
                    selection.transfer_finish(result);
                    stream.close(null);
                } catch (e) {
                    done(null, timedOut ? 'TimedOut' : cancellable.is_cancelled() ? 'Disabled' : 'Failed');
                    return;
                }
                const bytes = stream.steal_as_bytes();
                if (bytes.get_size() > limit)
                    done(null, 'TooLarge');
                else
                    done(bytes, null);
            });
    }

    // Writes one format into the pipe Ovelin hands in and answers once all of it is written: a
    // large answer crosses the bus as no message, whose making would stall the shell.
    ReadFormatAsync([serial, format, sink], invocation) {
        this._serve(invocation, null, () => {
            if (serial !== this._serial || !this._selectionHandler)
                throw new ServiceError('Changed', 'The clipboard changed');
            if (!this._state.formats.includes(format))
                throw new ServiceError('NotOffered', 'The clipboard lacks that format');
            return new Promise((resolve, reject) => this._transfer(format, MAX_READ_BYTES, (bytes, error) => {
                if (error)
                    return reject(new ServiceError(error, `Reading failed: ${error}`));
                let pipe;
                try {
                    pipe = new Gio.UnixOutputStream({
                        fd: invocation.get_message().get_unix_fd_list().get(sink), close_fd: true});
                } catch (e) {
                    return reject(new ServiceError('Failed', 'No pipe came with the call'));
                }
                pipe.splice_async(Gio.MemoryInputStream.new_from_bytes(bytes),
                    Gio.OutputStreamSpliceFlags.CLOSE_SOURCE | Gio.OutputStreamSpliceFlags.CLOSE_TARGET,
                    GLib.PRIORITY_DEFAULT, null, (stream, result) => {
                        try {
                            stream.splice_finish(result);
                            resolve(null);
                        } catch (e) {
                            reject(new ServiceError('Failed', 'Ovelin stopped reading'));
                        }
                    });
            }));
        });
    }

    SetClipboardAsync(params, invocation) {
        this._serve(invocation, null, () => {
            // The bytes straight from the message: a large image is not copied through JS arrays.
            const formats = invocation.get_parameters().get_child_value(0);
            const entries = [];
            for (let i = 0; i < formats.n_children(); i++) {
                const entry = formats.get_child_value(i);
                entries.push([entry.get_child_value(0).get_string()[0],
                    entry.get_child_value(1).get_data_as_bytes()]);
            }
            const selection = global.display.get_selection();
            if (entries.length === 0) {
                // Mutter lets only the owner give the clipboard up: owned for a moment, then emptied.
                const empty = Meta.SelectionSourceMemory.new('text/plain', new GLib.Bytes(new Uint8Array(0)));
                selection.set_owner(Meta.SelectionType.SELECTION_CLIPBOARD, empty);
                selection.unset_owner(Meta.SelectionType.SELECTION_CLIPBOARD, empty);
            } else
                selection.set_owner(Meta.SelectionType.SELECTION_CLIPBOARD,
                    Meta.SelectionSourceMemory.new(...preferredFormat(entries)));
        });
    }

    // Calls `ready(true)` once the window with `id` has the focus (at once for 0), `ready(false)`
    // when it did not get it within the time-out or the extension went off.
    _whenFocused(id, ready) {
        const focused = () => id === 0 || global.display.focus_window?.get_id() === id;
        if (focused())
            return ready(true);
        const cancellable = new Gio.Cancellable();
        this._pending.add(cancellable);
        let handler = 0, timer = 0, cancelHandler = 0;
        const finish = ok => {
            global.display.disconnect(handler);
            if (timer)
                GLib.source_remove(timer);
            cancellable.disconnect(cancelHandler);
            this._pending.delete(cancellable);
            ready(ok);
        };
        handler = global.display.connect('notify::focus-window', () => {
            if (focused())
                finish(true);
        });
        timer = GLib.timeout_add(GLib.PRIORITY_DEFAULT, FOCUS_TIMEOUT_MS, () => {
            timer = 0;
            finish(false);
            return GLib.SOURCE_REMOVE;
        });
        cancelHandler = cancellable.connect(() => GLib.idle_add(GLib.PRIORITY_DEFAULT, () => {
            if (timer)
                finish(false);
            return GLib.SOURCE_REMOVE;
        }));
    }

    PasteAsync([window, keys], invocation) {
        this._serve(invocation, null, () => {
            const combos = {
                'ctrl-v': [Clutter.KEY_Control_L, Clutter.KEY_v],
                'ctrl-shift-v': [Clutter.KEY_Control_L, Clutter.KEY_Shift_L, Clutter.KEY_v],
                'shift-insert': [Clutter.KEY_Shift_L, Clutter.KEY_Insert],
            };
            const combo = combos[keys];
            if (!combo)
                throw new ServiceError('org.freedesktop.DBus.Error.InvalidArgs', 'Unknown keys');
            return new Promise((resolve, reject) => this._whenFocused(Number(window), focused => {
                if (!focused)
                    return reject(new ServiceError('NotFocused', 'The window did not get the focus'));
                if (!this._keyboard) {
                    this._keyboard = Clutter.get_default_backend().get_default_seat()
                        .create_virtual_device(Clutter.InputDeviceType.KEYBOARD_DEVICE);
                }
                const time = GLib.get_monotonic_time();
                for (const key of combo)
                    this._keyboard.notify_keyval(time, key, Clutter.KeyState.PRESSED);
                for (const key of [...combo].reverse())
                    this._keyboard.notify_keyval(time, key, Clutter.KeyState.RELEASED);
                resolve();
            }));
        });
    }

    FrontWindowAsync(params, invocation) {
        this._serve(invocation, '(tssx)', () => {
            const window = global.display.focus_window;
            return window ? [window.get_id(), appIdOf(window), window.get_title() ?? '', window.get_pid()]
                : [0, '', '', 0];
        });
    }

    _windows() {
        return global.get_window_actors().map(actor => actor.get_meta_window()).filter(w => w);
    }

    ActivateAsync([id], invocation) {
        this._serve(invocation, '(b)', () => {
            const window = this._windows().find(w => w.get_id() === Number(id));
            if (window)
                Main.activateWindow(window);
            return [Boolean(window)];
        });
    }

    RunningAppsAsync(params, invocation) {
        this._serve(invocation, '(as)',
            () => [[...new Set(this._windows().map(appIdOf).filter(id => id))].sort()]);
    }

    // Ovelin's panel, just shown: its window may map a moment after the call.
    PlaceAtPointerAsync([title], invocation) {
        this._serve(invocation, '(b)', pid => new Promise(resolve => {
            const find = () => this._windows().find(w => w.get_pid() === pid && w.get_title() === title);
            const place = window => {
                if (window) {
                    this._placeAtPointer(window);
                    // Mutter puts a new window where it likes when it first shows it: placed again then.
                    const shown = window.connect('shown', () => this._placeAtPointer(window));
                    GLib.timeout_add(GLib.PRIORITY_DEFAULT, WINDOW_TIMEOUT_MS, () => {
                        window.disconnect(shown);
                        return GLib.SOURCE_REMOVE;
                    });
                }
                resolve([Boolean(window)]);
            };
            const window = find();
            if (window)
                return place(window);
            const titles = []; // [window, handler]: the caller's new windows, still untitled
            let timer = 0, handler = 0;
            const finish = found => {
                global.display.disconnect(handler);
                titles.forEach(([w, id]) => w.disconnect(id));
                if (timer)
                    GLib.source_remove(timer);
                place(found);
            };
            // A Wayland window is created before its title arrives: a new window of the caller's
            // is watched until it has one.
            handler = global.display.connect('window-created', (display, created) => {
                if (created.get_pid() !== pid)
                    return;
                if (created.get_title() === title)
                    return finish(created);
                titles.push([created, created.connect('notify::title', () => {
                    if (created.get_title() === title)
                        finish(created);
                })]);
            });
            timer = GLib.timeout_add(GLib.PRIORITY_DEFAULT, WINDOW_TIMEOUT_MS, () => {
                timer = 0;
                finish(null);
                return GLib.SOURCE_REMOVE;
            });
        }));
    }

    // Right and below the pointer; left of it or above the bottom where that would leave the
    // monitor's work area.
    _placeAtPointer(window) {
        const [x, y] = global.get_pointer();
        const area = Main.layoutManager.getWorkAreaForMonitor(global.display.get_current_monitor());
        const frame = window.get_frame_rect();
        let left = x + 10;
        if (left + frame.width > area.x + area.width)
            left = x - 10 - frame.width;
        let top = y + 10;
        if (top + frame.height > area.y + area.height)
            top = area.y + area.height - 10 - frame.height;
        left = Math.max(area.x, Math.min(left, area.x + area.width - frame.width));
        top = Math.max(area.y, top);
        window.move_frame(true, left, top);
    }

    SetShortcutAsync([accelerator], invocation) {
        this._serve(invocation, '(b)', () => {
            this._unbindShortcut();
            let bound = false;
            if (accelerator) {
                const settings = this._shortcutSettings();
                settings.set_strv(SHORTCUT_KEY, [accelerator]);
                const action = Main.wm.addKeybinding(SHORTCUT_KEY, settings, Meta.KeyBindingFlags.NONE,
                    Shell.ActionMode.ALL, () => this._toggle());
                this._shortcutBound = action !== Meta.KeyBindingAction.NONE;
                bound = this._shortcutBound;
            }
            return [bound];
        });
    }

    // The key lives in memory: Ovelin hands it over at every start, nothing goes to dconf.
    _shortcutSettings() {
        if (!this._settings) {
            const source = Gio.SettingsSchemaSource.new_from_directory(`${this._path}/schemas`,
                Gio.SettingsSchemaSource.get_default(), false);
            this._settings = new Gio.Settings({
                settings_schema: source.lookup(SCHEMA_ID, false),
                backend: Gio.memory_settings_backend_new(),
            });
        }
        return this._settings;
    }

    _unbindShortcut() {
        if (this._shortcutBound)
            Main.wm.removeKeybinding(SHORTCUT_KEY);
        this._shortcutBound = false;
    }

    _toggle() {
        Gio.DBus.session.call(OVELIN_NAME, OVELIN_PATH, OVELIN_NAME, 'Toggle', null, null,
            Gio.DBusCallFlags.NO_AUTO_START, -1, null, null);
    }
};
