// GNOME Shell 45 and later: ES modules.
import Clutter from 'gi://Clutter';
import Gio from 'gi://Gio';
import GLib from 'gi://GLib';
import Meta from 'gi://Meta';
import Shell from 'gi://Shell';
import * as Main from 'resource:///org/gnome/shell/ui/main.js';
import * as Config from 'resource:///org/gnome/shell/misc/config.js';
import {Extension} from 'resource:///org/gnome/shell/extensions/extension.js';

@OVELIN_SERVICE@
export default class OvelinExtension extends Extension {
    enable() {
        this._service = new OvelinService(this.path, Config.PACKAGE_VERSION);
        this._service.start();
    }

    disable() {
        this._service?.stop();
        this._service = null;
    }
}
