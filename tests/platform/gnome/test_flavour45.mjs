// The GNOME 45+ flavour of the extension, loaded with stand-ins for the shell's modules: its entry
// points, what it puts on the bus and takes off again, and whom it answers.
import assert from 'node:assert/strict';
import {register} from 'node:module';

const [extensionJs] = process.argv.slice(2);
register('./stand-ins.mjs', import.meta.url);

const bus = {owned: [], exported: null, subscriptions: new Set(), nextId: 1, pids: {}};
class Variant {
    constructor(type, value) { Object.assign(this, {type, value}); }
    deepUnpack() { return this.value; }
}
const Gio = {
    DBus: {session: {
        signal_subscribe() { const id = bus.nextId++; bus.subscriptions.add(id); return id; },
        signal_unsubscribe(id) { assert.ok(bus.subscriptions.delete(id)); },
        call(name, path, iface, method, args, type, flags, timeout, cancellable, done) {
            const pid = bus.pids[args.value[0]];
            setImmediate(() => done({call_finish: () => {
                if (pid === undefined)
                    throw new Error('no such name');
                return new Variant('(u)', [pid]);
            }}, null));
        },
    }},
    DBusExportedObject: {wrapJSObject(xml, object) {
        return bus.exported = {xml, object, path: null, export(c, path) { this.path = path; },
            unexport() { this.path = null; }};
    }},
    DBusCallFlags: {NONE: 0}, DBusSignalFlags: {NONE: 0}, BusNameOwnerFlags: {NONE: 0},
    bus_own_name_on_connection(c, name) { bus.owned.push(name); return bus.owned.length; },
    bus_unown_name(id) { bus.owned[id - 1] = null; },
};
const executables = {};
const GLib = {
    Variant, VariantType: class { constructor(t) { this.t = t; } },
    file_read_link(path) { return executables[path.split('/')[2]] ?? assert.fail(`no ${path}`); },
    path_get_basename: path => path.split('/').pop(),
};
class Extension { constructor(metadata) { this.path = metadata.path; } }
globalThis.standIns = {
    Clutter: {}, Gio, GLib, Meta: {}, Shell: {},
    main: {wm: {}, layoutManager: {}, activateWindow() {}}, config: {PACKAGE_VERSION: '46.0'},
    extension: {Extension},
};
globalThis.log = () => {};
globalThis.global = {display: {focus_window: {get_id: () => 7, get_wm_class: () => 'foot', get_title: () => 'x',
    get_pid: () => 9}}};

const {default: OvelinExtension} = await import(extensionJs);
assert.ok(OvelinExtension.prototype instanceof Extension, 'the default export extends Extension');
const extension = new OvelinExtension({path: '/ext'});
extension.enable();
assert.deepEqual(bus.owned, ['app.ovelin.Shell']);
assert.equal(bus.exported.path, '/app/ovelin/Shell');
assert.match(bus.exported.xml, /<interface name="app\.ovelin\.Shell1">/);
for (const [, method] of bus.exported.xml.matchAll(/<method name="(\w+)"/g))
    assert.equal(typeof bus.exported.object[`${method}Async`], 'function', `${method} has a handler`);

// Whom the service answers: the process that owns Ovelin's name, and only when it runs "ovelin".
function frontWindow(sender) {
    return new Promise(resolve => bus.exported.object.FrontWindowAsync([], {
        get_sender: () => sender,
        return_value: value => resolve(value.value.length),
        return_dbus_error: name => resolve(name),
    }));
}
bus.pids = {'app.ovelin.Ovelin': 40, ':1.5': 40, ':1.6': 41, ':1.7': 42};
Object.assign(executables, {40: '/usr/bin/ovelin', 41: '/usr/bin/python3', 42: '/usr/bin/ovelin (deleted)'});
assert.equal(await frontWindow(':1.5'), 4, 'Ovelin is answered');
const denied = 'org.freedesktop.DBus.Error.AccessDenied';
assert.equal(await frontWindow(':1.6'), denied, 'another process is refused');
assert.equal(await frontWindow(':1.404'), denied, 'a caller whose process cannot be told is refused');
bus.pids = {'app.ovelin.Ovelin': 41, ':1.6': 41, ':1.7': 42};
assert.equal(await frontWindow(':1.6'), denied, 'a stand-in owning the name is refused for its executable');
bus.pids = {'app.ovelin.Ovelin': 42, ':1.7': 42};
assert.equal(await frontWindow(':1.7'), 4, 'an Ovelin upgraded while it runs is answered');

// A read whose owner keeps sending outlives the stall time-out; one whose owner stops is cut.
let clock = 0, tick = null, finish = null, stream = null;
Object.assign(GLib, {PRIORITY_DEFAULT: 0, SOURCE_CONTINUE: true, SOURCE_REMOVE: false,
    get_monotonic_time: () => clock, timeout_add: (p, ms, fn) => { tick = fn; }, source_remove() { tick = null; }});
Gio.Cancellable = class { cancel() { this.cancelled = true; finish(); } is_cancelled() { return !!this.cancelled; } };
Gio.MemoryOutputStream = {new_resizable: () => stream = {size: 0, get_data_size() { return this.size; }, close() {},
    steal_as_bytes() { return {get_size: () => this.size}; }}};
globalThis.standIns.Meta.SelectionType = {SELECTION_CLIPBOARD: 1};
global.display.get_selection = () => ({
    transfer_async(type, format, size, s, cancellable, done) { finish = () => done(this, cancellable); },
    transfer_finish(cancellable) { if (cancellable.is_cancelled()) throw new Error('cancelled'); },
});
function read(sendsFor) {
    let outcome = null, at = 0;
    clock = 0;
    bus.exported.object._transfer('image/png', 1 << 26, (bytes, error) => {
        outcome = error ?? bytes.get_size();
        at = clock / 1e6;
    });
    for (; clock <= 60e6 && outcome === null; clock += 5e5) {
        stream.size += clock < sendsFor ? 4096 : 0;
        if (clock === sendsFor)
            finish();
        tick?.();
    }
    return [outcome, at];
}
assert.deepEqual(read(20e6), [4096 * 40, 20], 'a large answer still coming is read to its end');
assert.deepEqual(read(-1), ['TimedOut', 5], 'an owner that sends nothing costs the stall time-out');
assert.deepEqual(read(100e6), ['TimedOut', 55], 'an owner that never finishes costs the whole time-out');

extension.disable();
assert.deepEqual(bus.owned, [null], 'the name is given back');
assert.equal(bus.exported.path, null, 'the object is taken off the bus');
assert.equal(bus.subscriptions.size, 0, 'no signal subscription is left');
console.log('ok');
