// GNOME Shell 43 and 44: the imports module system.
'use strict';
const {Clutter, Gio, GLib, Meta, Shell} = imports.gi;
const Main = imports.ui.main;
const Config = imports.misc.config;
const ExtensionUtils = imports.misc.extensionUtils;

@OVELIN_SERVICE@
let service = null;

function init() {
}

function enable() {
    service = new OvelinService(ExtensionUtils.getCurrentExtension().path, Config.PACKAGE_VERSION);
    service.start();
}

function disable() {
    service?.stop();
    service = null;
}
