// The programs as a JavaScript API, for the page, the browser console and
// tests:
//
//   gif2frm.convert(files, args)  runs `gif2frm args...`
//   gif2frm.frm2gif(files, args)  runs `frm2gif args...`
//
// files maps file names to their bytes (an object or a Map of Uint8Array or
// ArrayBuffer); args is the command line without the program's name, and
// names the files as the keys of files do. The promise resolves to
// {status, stdout, outputs}: the exit status, the text the program printed
// (byte for byte what the native program prints, as a string), and an object
// mapping the name of each file the program wrote to its bytes. It rejects
// only when the program could not run to its end.
//
// Every call runs a new instance of the compiled core, so nothing of one run
// is seen by the next.
(function(root) {
  'use strict';

  // The core, put here as base64 by the build (embed_wasm.js), so that the
  // page works from file:// where nothing can be fetched.
  var coreBase64 = '@GIF2FRM_CORE_BASE64@';
  var compiledCore = null;

  function decodeBase64(text) {
    var binary = atob(text);
    var bytes = new Uint8Array(binary.length);
    for (var i = 0; i < binary.length; i++) bytes[i] = binary.charCodeAt(i);
    return bytes;
  }

  // Compiled once, instantiated for every run; a failed compilation is
  // tried again by the next run.
  function compile() {
    if (compiledCore === null) {
      compiledCore = WebAssembly.compile(decodeBase64(coreBase64));
      compiledCore.catch(function() { compiledCore = null; });
    }
    return compiledCore;
  }

  // An address the core returns. The memory may grow to 4 GiB, and the core
  // hands addresses over as signed 32-bit numbers: above 2 GiB they would
  // read as negative, which slice() and set() take as counted from the end.
  function address(value) { return value >>> 0; }

  function newInstance(onWrite) {
    return compile().then(function(module) {
      return new Promise(function(resolve, reject) {
        createGif2frmCore({
          onWrite: onWrite,
          instantiateWasm: function(imports, receive) {
            WebAssembly.instantiate(module, imports).then(function(instance) {
              receive(instance, module);
            }, reject);
            return {};
          },
          onAbort: function(what) {
            reject(new Error('the program stopped: ' + what));
          },
        }).then(resolve, reject);
      });
    });
  }

  function toBytes(name, value) {
    if (value instanceof Uint8Array) return value;
    if (value instanceof ArrayBuffer) return new Uint8Array(value);
    if (ArrayBuffer.isView(value)) {
      return new Uint8Array(value.buffer, value.byteOffset, value.byteLength);
    }
    throw new TypeError('the bytes of ' + name + ' are not a Uint8Array');
  }

  function fileEntries(files) {
    if (files === undefined || files === null) return [];
    var entries = files instanceof Map ? Array.from(files.entries())
                                       : Object.entries(files);
    return entries.map(function(entry) {
      return [String(entry[0]), toBytes(entry[0], entry[1])];
    });
  }

  // A NUL-terminated UTF-8 copy of text in the instance's memory.
  function putString(core, text) {
    var bytes = new TextEncoder().encode(text);
    var at = address(core._malloc(bytes.length + 1));
    if (at === 0) throw new Error('out of memory for "' + text + '"');
    core.HEAPU8.set(bytes, at);
    core.HEAPU8[at + bytes.length] = 0;
    return at;
  }

  function readString(core, at) {
    var end = at;
    while (core.HEAPU8[end] !== 0) end++;
    return new TextDecoder().decode(core.HEAPU8.subarray(at, end));
  }

  function joinChunks(chunks) {
    var length = chunks.reduce(function(sum, c) { return sum + c.length; }, 0);
    var joined = new Uint8Array(length);
    var at = 0;
    chunks.forEach(function(chunk) {
      joined.set(chunk, at);
      at += chunk.length;
    });
    return joined;
  }

  function run(program, files, args) {
    if (!Array.isArray(args)) {
      return Promise.reject(new TypeError('args must be an array of strings'));
    }
    var argv = [program].concat(args.map(String));
    var inputs;
    try {
      inputs = fileEntries(files);
    } catch (error) {
      return Promise.reject(error);
    }
    var printed = [];
    return newInstance(function(fd, bytes) {
      if (fd === 1) printed.push(bytes);
    }).then(function(core) {
      inputs.forEach(function(input) {
        var name = putString(core, input[0]);
        var data = address(core._web_add_input(name, input[1].length));
        core._free(name);
        if (data === 0) throw new Error('out of memory for ' + input[0]);
        core.HEAPU8.set(input[1], data);
      });
      var argvAddress = address(core._malloc(4 * (argv.length + 1)));
      if (argvAddress === 0) throw new Error('out of memory for the arguments');
      var pointers = new Uint32Array(argv.length + 1);
      argv.forEach(function(argument, i) {
        pointers[i] = putString(core, argument);
      });
      new Uint8Array(core.HEAPU8.buffer, argvAddress, pointers.byteLength)
          .set(new Uint8Array(pointers.buffer));

      var status = core['_web_run_' + program](argv.length, argvAddress);

      var outputs = {};
      var count = core._web_output_count();
      for (var i = 0; i < count; i++) {
        var data = address(core._web_output_data(i));
        outputs[readString(core, address(core._web_output_name(i)))] =
            core.HEAPU8.slice(data, data + address(core._web_output_size(i)));
      }
      return {
        status: status,
        stdout: new TextDecoder().decode(joinChunks(printed)),
        outputs: outputs,
      };
    });
  }

  root.gif2frm = {
    // Resolves once the core is compiled; a run before then waits for it.
    ready: function() { return compile().then(function() {}); },
    convert: function(files, args) { return run('gif2frm', files, args); },
    frm2gif: function(files, args) { return run('frm2gif', files, args); },
  };
})(typeof globalThis !== 'undefined' ? globalThis : this);
