// The worker that runs the programs for the page (see api.js): the compiled
// core, fflate for the .zip of a batch (and to inflate the core), and the
// requests the page sends. The build (assemble_api.js) puts the core
// (deflated, as base64), emscripten's JavaScript for it and fflate where the
// markers below stand, and api.js starts the whole function as a worker of
// its own from a Blob URL, so that nothing is fetched and the page works from
// file://. Where no worker can be had, the page calls the same function in
// its own thread.
//
// Requests, each {id, type, ...}, answered in order, one at a time:
//   run:  {program, files: [[name, bytes or Blob], ...], args, blobs} -> {status,
//         stdout, outputs[, blobs]}, with {type: 'stdout', bytes} and {type: 'progress',
//         read} messages on the way (read: input bytes read so far)
//   view: {frm: [name, bytes], palette: [name, bytes] or null} -> the sprite
//         as the checking preview draws it, or null when it cannot be shown
//   zip:  {files: [[path, bytes], ...]} -> the bytes of a .zip of them
// and, unasked, {type: 'ready', options} once the core is compiled, options
// being gif2frm's option table.
function gif2frmWorker(scope) {
  var coreBase64 = '@GIF2FRM_CORE_BASE64@';
  /*@GIF2FRM_CORE_GLUE@*/
  var fflate = (function(self) {
    /*@GIF2FRM_FFLATE@*/
    return self.fflate;
  })({});

  (function() {
    'use strict';
    var compiledCore = null;
    // At most this often a progress message: a read of a large file reports
    // every MiB (platform/memory_files.h).
    var PROGRESS_INTERVAL_MS = 50;

    function decodeBase64(text) {
      var binary = atob(text);
      var bytes = new Uint8Array(binary.length);
      for (var i = 0; i < binary.length; i++) bytes[i] = binary.charCodeAt(i);
      return bytes;
    }

    // Compiled once, instantiated for every request.
    function compile() {
      if (compiledCore === null) {
        compiledCore = WebAssembly.compile(
            fflate.inflateSync(decodeBase64(coreBase64)));
      }
      return compiledCore;
    }

    // An address the core returns. The memory may grow to 4 GiB, and the
    // core hands addresses over as signed 32-bit numbers: above 2 GiB they
    // would read as negative, which slice() and set() take as counted from
    // the end.
    function address(value) { return value >>> 0; }

    function newInstance(hooks) {
      return compile().then(function(module) {
        return new Promise(function(resolve, reject) {
          createGif2frmCore({
            onWrite: hooks.onWrite || function() {},
            onReadProgress: hooks.onReadProgress || function() {},
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
      if (at === 0) return '';
      var end = at;
      while (core.HEAPU8[end] !== 0) end++;
      return new TextDecoder().decode(core.HEAPU8.subarray(at, end));
    }

    function putInputs(core, files) {
      files.forEach(function(file) {
        var name = putString(core, file[0]);
        var data = address(core._web_add_input(name, file[1].length));
        core._free(name);
        if (data === 0) throw new Error('out of memory for ' + file[0]);
        core.HEAPU8.set(file[1], data);
      });
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

    function callProgram(core, program, args) {
      var argv = [program].concat(args);
      var argvAddress = address(core._malloc(4 * (argv.length + 1)));
      if (argvAddress === 0) throw new Error('out of memory for the arguments');
      var pointers = new Uint32Array(argv.length + 1);
      argv.forEach(function(argument, i) {
        pointers[i] = putString(core, argument);
      });
      new Uint8Array(core.HEAPU8.buffer, argvAddress, pointers.byteLength)
          .set(new Uint8Array(pointers.buffer));
      return core['_web_run_' + program](argv.length, argvAddress);
    }

    function takeOutputs(core) {
      var outputs = {};
      var count = core._web_output_count();
      for (var i = 0; i < count; i++) {
        var data = address(core._web_output_data(i));
        outputs[readString(core, address(core._web_output_name(i)))] =
            core.HEAPU8.slice(data, data + address(core._web_output_size(i)));
      }
      return outputs;
    }

    // The files with the bytes of those given as Blobs read.
    function readBlobs(files) {
      return Promise.all(files.map(function(file) {
        if (file[1] instanceof Uint8Array) return file;
        return file[1].arrayBuffer().then(function(buffer) {
          return [file[0], new Uint8Array(buffer)];
        });
      }));
    }

    function run(request, tell) {
      var printed = [];
      var read = 0;
      var told = 0;
      var files = null;
      return readBlobs(request.files).then(function(got) {
        files = got;
        return newInstance({
          onWrite: function(fd, bytes) {
            if (fd !== 1) return;
            printed.push(bytes);
            tell({type: 'stdout', bytes: bytes});
          },
          onReadProgress: function(bytes) {
            read += bytes;
            var now = Date.now();
            if (now - told >= PROGRESS_INTERVAL_MS) {
              told = now;
              tell({type: 'progress', read: read});
            }
          },
        });
      }).then(function(core) {
        putInputs(core, files);
        var status = callProgram(core, request.program, request.args);
        var outputs = takeOutputs(core);
        var answer = {
          status: status,
          stdout: new TextDecoder().decode(joinChunks(printed)),
          outputs: outputs,
        };
        if (request.blobs) {
          answer.blobs = {};
          Object.keys(outputs).forEach(function(name) {
            answer.blobs[name] = new Blob([outputs[name]],
                                          {type: 'application/octet-stream'});
          });
        }
        return {
          answer: answer,
          transfer: Object.keys(outputs).map(function(n) {
            return outputs[n].buffer;
          }),
        };
      });
    }

    // The option table of gif2frm (gif2frm/option_table.h), as objects.
    function optionTable(core) {
      var names = ['flag', 'text', 'defaultValue', 'field', 'label', 'choices'];
      var table = [];
      for (var i = 0; i < core._web_option_count(); i++) {
        var option = {};
        names.forEach(function(name, field) {
          option[name] = readString(core, address(core._web_option_field(i, field)));
        });
        table.push(option);
      }
      return table;
    }

    // A frame's palette indices as RGBA, index 0 transparent, drawn by the
    // page as it is (createImageBitmap where the worker has it).
    function framePicture(indices, width, height, colors) {
      if (width === 0 || height === 0) return Promise.resolve(null);
      var rgba = new Uint8ClampedArray(width * height * 4);
      var words = new Uint32Array(rgba.buffer);
      var table = new Uint32Array(256);
      var bytes = new Uint8Array(table.buffer);
      for (var c = 1; c < 256; c++) {
        bytes.set([colors[3 * c], colors[3 * c + 1], colors[3 * c + 2], 255], 4 * c);
      }
      for (var i = 0; i < indices.length; i++) words[i] = table[indices[i]];
      var picture = new ImageData(rgba, width, height);
      if (typeof createImageBitmap !== 'function') return Promise.resolve(picture);
      return createImageBitmap(picture);
    }

    function view(request) {
      return newInstance({}).then(function(core) {
        var files = [request.frm];
        if (request.palette) files.push(request.palette);
        putInputs(core, files);
        var frmName = putString(core, request.frm[0]);
        var paletteName = putString(core, request.palette ? request.palette[0] : '');
        if (core._web_view_open(frmName, paletteName) !== 0) {
          return {answer: null, transfer: []};
        }
        var colors = core.HEAPU8.slice(address(core._web_view_colors()),
                                       address(core._web_view_colors()) + 768);
        var count = core._web_view_frames_per_direction();
        var directions = [];
        var pictures = [];
        for (var d = 0; d < core._web_view_directions(); d++) {
          var frames = [];
          for (var k = 0; k < count; k++) {
            var at = address(core._web_view_frame(d, k)) >>> 2;
            var r = core.HEAP32.slice(at, at + 8);
            var frame = {width: r[0], height: r[1], offsetX: r[2], offsetY: r[3],
                         left: r[4], top: r[5], picture: null};
            var pixels = address(core._web_view_pixels(d, k));
            pictures.push(framePicture(
                core.HEAPU8.subarray(pixels, pixels + r[0] * r[1]), r[0], r[1],
                colors).then(function(f, picture) { f.picture = picture; }
                    .bind(null, frame)));
            frames.push(frame);
          }
          var first = address(core._web_view_frame(d, 0)) >>> 2;
          directions.push({width: core.HEAP32[first + 6],
                           height: core.HEAP32[first + 7], frames: frames});
        }
        return Promise.all(pictures).then(function() {
          var transfer = [];
          directions.forEach(function(direction) {
            direction.frames.forEach(function(frame) {
              if (frame.picture === null) return;
              transfer.push(frame.picture.data ? frame.picture.data.buffer
                                               : frame.picture);
            });
          });
          return {
            answer: {framesPerSecond: core._web_view_frames_per_second(),
                     directions: directions},
            transfer: transfer,
          };
        });
      });
    }

    function zip(request) {
      var entries = {};
      request.files.forEach(function(file) { entries[file[0]] = file[1]; });
      var bytes = fflate.zipSync(entries, {level: 6});
      return Promise.resolve({answer: bytes, transfer: [bytes.buffer]});
    }

    var handlers = {run: run, view: view, zip: zip};

    scope.onmessage = function(event) {
      var request = event.data;
      var tell = function(message) {
        message.id = request.id;
        scope.postMessage(message);
      };
      var handled;
      try {
        handled = handlers[request.type](request, tell);
      } catch (error) {
        handled = Promise.reject(error);
      }
      handled.then(function(done) {
        scope.postMessage({id: request.id, type: 'done', answer: done.answer},
                          done.transfer);
      }, function(error) {
        // A trap of the core rejects with what it threw, not always an Error.
        scope.postMessage({id: request.id, type: 'failed',
                           message: error instanceof Error ? error.message
                                                           : String(error)});
      });
    };

    // Ready once the core compiles, with the option table of one instance.
    compile().then(function() {
      return newInstance({});
    }).then(function(core) {
      scope.postMessage({type: 'ready', options: optionTable(core)});
    }, function(error) {
      scope.postMessage({type: 'unavailable', message: String(error && error.message || error)});
    });
  })();
}
