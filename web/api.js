// The programs as a JavaScript API, for the page, the browser console and
// tests:
//
//   gif2frm.convert(files, args[, hooks])  runs `gif2frm args...`
//   gif2frm.frm2gif(files, args[, hooks])  runs `frm2gif args...`
//
// files maps file names to their bytes (an object or a Map of Uint8Array,
// ArrayBuffer, or Blob such as a File picked, which the worker reads); args is the command line without the program's name, and
// names the files as the keys of files do. The promise resolves to
// {status, stdout, outputs}: the exit status, the text the program printed
// (byte for byte what the native program prints, as a string), and an object
// mapping the name of each file the program wrote to its bytes. It rejects
// only when the program could not run to its end, or was cancelled.
//
// hooks, all optional: onOutput(text) gets the program's text as it prints
// it; onProgress(read, total) how many bytes of the input files it has read
// (of total, their sum) while it reads them; signal, an AbortSignal, cancels
// the run: one not started yet never starts, a running one is stopped. For
// large files: transfer hands the buffers of the input bytes over to the
// worker rather than copying them (they are empty afterwards), and blobs
// adds blobs to the result, each output file also as a Blob (made in the
// worker, so that a download link costs the page nothing).
//
// Every call runs a new instance of the compiled core, so nothing of one run
// is seen by the next. The runs take turns in a Web Worker (worker.js), so
// that the page stays responsive however long a run takes. Beside them:
//
//   gif2frm.ready()             resolves once the core is compiled
//   gif2frm.options()           gif2frm's options as --help shows them:
//                               [{flag, text, defaultValue, field, label,
//                               choices}] (gif2frm/option_table.h)
//   gif2frm.viewSprite(frm, palette[, hooks])
//                               an FRM ([name, bytes]) as the page's preview
//                               draws it, in the colours of palette ([name,
//                               bytes] or null: the built-in ones); null when
//                               frm2gif would not show it
//   gif2frm.zip(files[, hooks]) the bytes of a .zip holding files
//                               ([[path, bytes], ...])
(function(root, workerMain) {
  'use strict';

  var channel = null;  // the worker: {post(message, transfer), stop()}
  var readiness = null;  // resolves to the option table
  var waiting = [];  // requests not yet sent: {message, hooks, resolve, reject}
  var current = null;  // the request the worker has
  var nextId = 1;

  function cancelled() {
    return typeof DOMException === 'function'
        ? new DOMException('The run was cancelled.', 'AbortError')
        : new Error('The run was cancelled.');
  }

  // The worker made from workerMain's own text, or, where a worker cannot be
  // had (a policy that forbids it), the same function in this thread with
  // the messages passed by hand.
  function openChannel(receive) {
    try {
      var url = URL.createObjectURL(new Blob(
          ['(' + workerMain.toString() + ')(self);'], {type: 'text/javascript'}));
      var worker = new Worker(url);
      worker.onmessage = function(event) { receive(event.data); };
      worker.onerror = function(event) {
        event.preventDefault();
        receive({type: 'crashed', message: event.message || 'the worker stopped'});
      };
      return {
        post: function(message, transfer) { worker.postMessage(message, transfer); },
        stop: function() { worker.terminate(); },
        started: function() { URL.revokeObjectURL(url); },
      };
    } catch (error) {
      var scope = {postMessage: function(message) {
        setTimeout(function() { receive(message); }, 0);
      }};
      workerMain(scope);
      return {
        post: function(message) {
          setTimeout(function() { scope.onmessage({data: message}); }, 0);
        },
        stop: function() { scope.onmessage = function() {}; },
        started: function() {},
      };
    }
  }

  function start() {
    var opened;
    var isReady = false;
    var ready = new Promise(function(resolve, reject) {
      opened = openChannel(function(message) {
        if (message.type === 'ready') {
          isReady = true;
          opened.started();
          resolve(message.options);
          send();
        } else if (!isReady && (message.type === 'unavailable' ||
                                message.type === 'crashed')) {
          reject(new Error(message.message));
        } else {
          receive(message);
        }
      });
    });
    ready.catch(function() {
      // The next request tries again.
      if (channel === opened) channel = null;
    });
    channel = opened;
    readiness = ready;
  }

  function ensureStarted() {
    if (channel === null) start();
    return readiness;
  }

  // Stops the worker, as for a cancelled run; the next request starts
  // another.
  function restart() {
    if (channel !== null) channel.stop();
    channel = null;
    current = null;
    ensureStarted();
  }

  function send() {
    if (current !== null || waiting.length === 0 || channel === null) return;
    var opened = channel;
    readiness.then(function() {
      if (current !== null || waiting.length === 0 || channel !== opened) return;
      current = waiting.shift();
      current.message.id = nextId++;
      opened.post(current.message, current.transfer);
    }, function(error) {
      waiting.splice(0).forEach(function(request) { request.reject(error); });
    });
  }

  function receive(message) {
    var request = current;
    if (request === null || message.id !== request.message.id) {
      if (message.type === 'crashed' && request !== null) {
        request.reject(new Error(message.message));
        restart();
        send();
      }
      return;
    }
    if (message.type === 'stdout') {
      request.onBytes(message.bytes);
    } else if (message.type === 'progress') {
      if (request.hooks.onProgress) {
        request.hooks.onProgress(message.read, request.total);
      }
    } else {
      current = null;
      if (message.type === 'done') request.resolve(message.answer);
      else request.reject(new Error(message.message));
      send();
    }
  }

  // Queues message for the worker; resolves to its answer.
  function request(message, hooks, total, transfer) {
    hooks = hooks || {};
    if (hooks.signal && hooks.signal.aborted) return Promise.reject(cancelled());
    ensureStarted();
    return new Promise(function(resolve, reject) {
      var decoder = new TextDecoder();
      var entry = {
        message: message, hooks: hooks, total: total || 0, transfer: transfer || [],
        resolve: resolve, reject: reject,
        onBytes: function(bytes) {
          if (hooks.onOutput) hooks.onOutput(decoder.decode(bytes, {stream: true}));
        },
      };
      if (hooks.signal) {
        hooks.signal.addEventListener('abort', function() {
          var at = waiting.indexOf(entry);
          if (at >= 0) {
            waiting.splice(at, 1);
          } else if (current === entry) {
            restart();
          } else {
            return;
          }
          reject(cancelled());
          send();
        });
      }
      waiting.push(entry);
      send();
    });
  }

  // The bytes of a file, or a Blob (a File) that the worker reads itself,
  // so that a large file is never copied in the page's thread.
  function toBytes(name, value) {
    if (value instanceof Uint8Array) return value;
    if (typeof Blob === 'function' && value instanceof Blob) return value;
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

  function run(program, files, args, hooks) {
    if (!Array.isArray(args)) {
      return Promise.reject(new TypeError('args must be an array of strings'));
    }
    var entries;
    try {
      entries = fileEntries(files);
    } catch (error) {
      return Promise.reject(error);
    }
    var total = entries.reduce(function(sum, e) {
      return sum + (e[1] instanceof Uint8Array ? e[1].length : e[1].size);
    }, 0);
    var transfer = hooks && hooks.transfer ? entries.filter(function(e) {
      return e[1] instanceof Uint8Array;
    }).map(function(e) { return e[1].buffer; }) : [];
    return request({type: 'run', program: program, files: entries,
                    args: args.map(String), blobs: Boolean(hooks && hooks.blobs)},
                   hooks, total, transfer);
  }

  root.gif2frm = {
    ready: function() { return ensureStarted().then(function() {}); },
    options: function() { return ensureStarted(); },
    convert: function(files, args, hooks) {
      return run('gif2frm', files, args, hooks);
    },
    frm2gif: function(files, args, hooks) {
      return run('frm2gif', files, args, hooks);
    },
    viewSprite: function(frm, palette, hooks) {
      return request({type: 'view', frm: frm, palette: palette || null}, hooks);
    },
    zip: function(files, hooks) {
      return request({type: 'zip', files: files}, hooks);
    },
  };
})(typeof globalThis !== 'undefined' ? globalThis : this,
   /*@GIF2FRM_WORKER@*/null);
