// Loader hooks: the shell's modules resolve to stand-ins the test puts on globalThis.standIns.
const shellExports = {
    main: ['activateWindow', 'layoutManager', 'wm'],
    config: ['PACKAGE_VERSION'],
    extension: ['Extension'],
};

export function resolve(specifier, context, next) {
    const shell = specifier.match(/^resource:\/\/\/org\/gnome\/shell\/.*\/(\w+)\.js$/);
    const name = specifier.startsWith('gi://') ? specifier.slice(5) : shell?.[1];
    if (!name)
        return next(specifier, context);
    const names = shell ? shellExports[name] ?? [] : [];
    const source = `const m = globalThis.standIns['${name}']; export default m;` +
        names.map(n => `export const ${n} = m.${n};`).join('');
    return {url: `data:text/javascript,${encodeURIComponent(source)}`, shortCircuit: true};
}
