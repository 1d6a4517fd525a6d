// The page: the images and options a person picks become gif2frm command
// lines, run one after another by the API of gif2frm.js (in its worker); each
// run's messages, status and files are listed as they come, every FRM can be
// downloaded alone or all in one .zip, and the preview shows a converted
// sprite frame by frame, as the FRM holds it, beside its source.
//
// Everything the page shows comes from one state object through render();
// the elements are looked up once, and the events only change the state.
(function() {
  'use strict';

  var PALETTE_FILE = /\.(pal|act|gpl)$/i;
  var IMAGE_FILE = /\.(gif|png|apng)$/i;
  var DIRECTIONS = 6;
  var MAX_CANVAS = 4096;  // pixels either way of a zoomed picture
  var DEFAULT_DELAY = 10;  // hundredths of a second, as frm2gif plays a 0
  var AUTO_PREVIEW_BYTES = 4 << 20;  // of an FRM whose preview opens by itself

  // ---- The elements, looked up once -----------------------------------------

  var el = {};
  ['notice', 'converter', 'drop-zone', 'files', 'folder', 'file-summary',
   'grouping', 'grouping-each', 'grouping-directions',
   'grouping-directions-choice', 'grouping-frames', 'frames-name-row',
   'frames-name', 'directions',
   'directions-help', 'palette-file', 'palette-clear', 'palette-help',
   'options', 'command-line', 'convert', 'cancel', 'progress-bar',
   'progress-text', 'results-heading', 'download-zip', 'results', 'preview',
   'preview-heading', 'play', 'previous-frame', 'next-frame', 'frame-number',
   'zoom', 'background', 'background-color', 'show-source',
   'preview-directions'].forEach(function(id) {
    el[id.replace(/-(\w)/g, function(m, c) { return c.toUpperCase(); })] =
        document.getElementById(id);
  });

  // ---- The state -------------------------------------------------------------

  var state = {
    ready: false,
    notice: null,  // the one error shown at the top, or null
    fields: [],  // the option fields, from the core's option table
    values: {},  // each field's value by its key ("-d=", "-n")
    help: {},  // help texts by key, for the fields the page lays out itself
    // What was chosen: {name, path, file}, or a folder of frames {name,
    // path, folder: [{name, path, file}, ...]}.
    images: [],
    palette: null,  // a File, or null
    // What the images picked one by one are: 'each' a sprite, the six
    // 'directions' of one, or the 'frames' of one as a folder.
    grouping: 'each',
    framesName: null,  // that folder's name; null: made from the images' names
    directionOf: [0, 1, 2, 3, 4, 5],  // the direction of each of six images
    jobs: [],  // the runs of the last Convert, in order
    running: false,
    controller: null,  // aborts the runs of the last Convert
    preview: null,  // the sprite in the preview (see openPreview)
    view: {zoom: 0, background: 'checkerboard', color: '#3a7d44',
           showSource: true},
  };

  // The order gif2frm takes a folder's frames in (gif2frm/natural_order.h):
  // the names' UTF-8 bytes compared piece by piece, a run of digits by its
  // value, leading zeros aside; names equal that way by their bytes.
  var utf8 = new TextEncoder();

  function isDigit(c) { return c >= 0x30 && c <= 0x39; }

  function compareBytes(x, y) {
    for (var i = 0; i < x.length && i < y.length; i++) {
      if (x[i] !== y[i]) return x[i] - y[i];
    }
    return x.length - y.length;
  }

  // [end, first significant digit] of the run of digits in bytes from at.
  function digitRun(bytes, at) {
    var end = at;
    while (end < bytes.length && isDigit(bytes[end])) end++;
    var significant = at;
    while (significant + 1 < end && bytes[significant] === 0x30) significant++;
    return [end, significant];
  }

  function naturalCompare(a, b) {
    var x = utf8.encode(a);
    var y = utf8.encode(b);
    var i = 0;
    var j = 0;
    while (i < x.length && j < y.length) {
      if (isDigit(x[i]) && isDigit(y[j])) {
        var runX = digitRun(x, i);
        var runY = digitRun(y, j);
        var order = (runX[0] - runX[1]) - (runY[0] - runY[1]) ||
                    compareBytes(x.subarray(runX[1], runX[0]),
                                 y.subarray(runY[1], runY[0]));
        if (order !== 0) return order;
        i = runX[0];
        j = runY[0];
      } else if (x[i] !== y[j]) {
        return x[i] - y[j];
      } else {
        i++;
        j++;
      }
    }
    if (i < x.length || j < y.length) return j < y.length ? -1 : 1;
    return compareBytes(x, y);
  }

  // ---- The option fields, from the core's table ------------------------------

  // The key of an option: its flag up to its "=" ("-d=", "-1="), or the flag
  // ("-n"); "-h, --help" has none.
  function optionKey(flag) {
    var equals = flag.indexOf('=');
    return equals >= 0 ? flag.slice(0, equals + 1) : flag.split(',')[0];
  }

  // What a text field takes, where the page can say so before a run: an
  // example in the empty box, and the pattern whose mismatch the field shows
  // (gif2frm still has the last word, with its own message).
  var TEXT_FORMS = {
    '-g=': {pattern: '\\d+x\\d+', example: 'e.g. 8x6'},
  };

  // Fields the page lays out itself: the palette file and the direction files.
  var OWN_FIELDS = {'-p=': 'palette-help', '-1=': 'directions-help'};

  function fieldsFromTable(table) {
    var fields = [];
    var byKey = {};
    table.forEach(function(option) {
      var key = optionKey(option.flag);
      var text = option.text.replace(/\n/g, ' ');
      if (OWN_FIELDS[key]) {
        state.help[key] = (state.help[key] ? state.help[key] + ' ' : '') + text;
      } else if (byKey[key]) {
        byKey[key].help += ' ' + text;  // "-x=A,...,F" explains -x= further
      } else if (option.field !== 'none') {
        byKey[key] = {
          key: key, field: option.field, help: text,
          label: option.label || '', defaultValue: option.defaultValue,
          choices: option.choices ? option.choices.split(',') : [],
          id: 'option-' + key.replace(/[^\w]/g, ''),
        };
        fields.push(byKey[key]);
      }
    });
    return fields;
  }

  function makeField(field) {
    var row = document.createElement('div');
    row.className = 'option';
    var label = document.createElement('label');
    label.htmlFor = field.id;
    var code = document.createElement('code');
    code.textContent = field.key;
    label.appendChild(code);
    label.appendChild(document.createTextNode(' ' + field.label));
    var input;
    if (field.field === 'choice') {
      input = document.createElement('select');
      field.choices.forEach(function(choice) {
        var option = document.createElement('option');
        option.value = option.textContent = choice;
        input.appendChild(option);
      });
    } else {
      input = document.createElement('input');
      input.type = {switch: 'checkbox', number: 'number', file: 'file'}[field.field] ||
                   'text';
      if (field.field === 'number') {
        input.step = '1';
        // The range the help gives ("0 to 255"), where it gives one.
        var range = /(?:^|[\s(])(-?\d+) to (-?\d+)\b/.exec(field.help);
        if (range) {
          input.min = range[1];
          input.max = range[2];
        }
      }
      if (field.field === 'text') {
        input.size = 12;
        input.spellcheck = false;
        if (TEXT_FORMS[field.key]) {
          input.pattern = TEXT_FORMS[field.key].pattern;
          input.placeholder = TEXT_FORMS[field.key].example;
        }
      }
    }
    input.id = field.id;
    input.setAttribute('data-key', field.key);
    var help = document.createElement('span');
    help.className = 'help';
    help.id = field.id + '-help';
    help.textContent = field.help;
    input.setAttribute('aria-describedby', help.id);
    if (field.field === 'switch') {
      var check = document.createElement('span');
      check.className = 'check';
      check.appendChild(input);
      check.appendChild(label);
      row.appendChild(check);
    } else {
      row.appendChild(label);
      row.appendChild(input);
    }
    row.appendChild(help);
    field.input = input;
    return row;
  }

  function buildForm(table) {
    state.fields = fieldsFromTable(table);
    state.fields.forEach(function(field) {
      state.values[field.key] = field.field === 'switch' ? false
          : field.field === 'file' ? null : field.defaultValue;
      el.options.appendChild(makeField(field));
    });
  }

  // ---- The command lines ------------------------------------------------------

  function sortByName(items) {
    return items.sort(function(a, b) {
      return a.path.localeCompare(b.path, 'en', {numeric: true});
    });
  }

  // The images picked one by one, not in a folder.
  function looseImages() {
    return state.images.filter(function(image) { return !image.folder; });
  }

  function sixDirections() {
    return state.images.length === DIRECTIONS && state.grouping === 'directions' &&
           looseImages().length === DIRECTIONS;
  }

  function framesGrouped() {
    return state.grouping === 'frames' && looseImages().length >= 2;
  }

  // The name of the folder that images taken as frames make: what their
  // names share ahead of their numbers ("walk_0001.png", "walk_0002.png":
  // "walk"), else "frames".
  function defaultFramesName(images) {
    if (images.length === 0) return 'frames';
    var shared = images.map(function(image) {
      return image.name.replace(/\.[^.]*$/, '');
    }).reduce(function(prefix, stem) {
      var n = 0;
      while (n < prefix.length && n < stem.length && prefix[n] === stem[n]) n++;
      return prefix.slice(0, n);
    });
    return shared.replace(/[\d\s._-]+$/, '') || 'frames';
  }

  function framesName() {
    return state.framesName !== null ? state.framesName
                                     : defaultFramesName(looseImages());
  }

  function folderNameProblem(name) {
    if (name === '' || name === '.' || name === '..' || /[\/\\]/.test(name)) {
      return 'The folder of frames needs a name without / or \\.';
    }
    return null;
  }

  // The options every run gets, in the order of the table; options left at
  // their default are left out, as a person typing the command would.
  function optionArguments() {
    var args = [];
    var files = [];
    state.fields.forEach(function(field) {
      var value = state.values[field.key];
      if (field.field === 'switch') {
        if (value && !(field.key === '-6' && sixDirections())) args.push(field.key);
      } else if (field.field === 'file') {
        if (value) {
          args.push(field.key + value.name);
          files.push({name: value.name, file: value});
        }
      } else {
        value = String(value).trim();
        if (value !== '' && value !== field.defaultValue) args.push(field.key + value);
      }
    });
    if (state.palette !== null) {
      args.push('-p=' + state.palette.name);
      files.push({name: state.palette.name, file: state.palette});
    }
    return {args: args, files: files};
  }

  // A run for each sprite of what is chosen, each {label, args, files,
  // sources, folder} (sources: what the preview shows beside each direction,
  // {files} in the order gif2frm takes them; folder: the path the image came
  // from, for its FRM in the .zip); or {error}.
  function plannedRuns() {
    var images = state.images;
    if (images.length === 0) return {error: 'No image chosen.'};
    var options = optionArguments();
    if (sixDirections()) return directionRuns(options);
    var sprites = images;
    if (framesGrouped()) {
      var name = framesName();
      var problem = folderNameProblem(name);
      if (problem !== null) return {error: problem};
      sprites = [{name: name, path: name, folder: looseImages()}].concat(
          images.filter(function(image) { return image.folder; }));
    }
    return {runs: sprites.map(function(image) { return spriteRun(image, options); })};
  }

  // Six images, one sprite: direction 0 the input, 1 to 5 by -1= to -5=.
  function directionRuns(options) {
    var images = state.images;
    var byDirection = [];
    for (var i = 0; i < DIRECTIONS; i++) {
      var direction = state.directionOf[i];
      if (byDirection[direction] !== undefined) {
        return {error: 'Two images are set to direction ' + direction + '.'};
      }
      byDirection[direction] = images[i];
    }
    var names = {};
    for (var d = 0; d < DIRECTIONS; d++) {
      if (names[byDirection[d].name]) {
        return {error: 'Two images are named ' + byDirection[d].name + '.'};
      }
      names[byDirection[d].name] = true;
    }
    var args = options.args.slice();
    for (d = 1; d < DIRECTIONS; d++) args.push('-' + d + '=' + byDirection[d].name);
    args.push(byDirection[0].name);
    return {runs: [{
      label: byDirection[0].path, args: args, folder: '',
      files: byDirection.map(function(image) {
        return {name: image.name, file: image.file};
      }).concat(options.files),
      sources: byDirection.map(function(image) { return {files: [image.file]}; }),
    }]};
  }

  // One image, or a folder of frames: its files passed as "folder/name" and
  // the folder named as the input, as the native program is given a folder.
  function spriteRun(image, options) {
    if (!image.folder) {
      return {
        label: image.path, args: options.args.concat([image.name]),
        files: [{name: image.name, file: image.file}].concat(options.files),
        folder: image.path.slice(0, image.path.length - image.name.length),
        sources: [{files: [image.file]}],
      };
    }
    var frames = image.folder.slice().sort(function(a, b) {
      return naturalCompare(a.name, b.name);
    });
    return {
      label: image.path + '/', args: options.args.concat([image.name]),
      files: frames.map(function(frame) {
        return {name: image.name + '/' + frame.name, file: frame.file};
      }).concat(options.files),
      folder: image.path.slice(0, image.path.length - image.name.length),
      sources: [{files: frames.map(function(frame) { return frame.file; })}],
    };
  }

  function quoteForShell(argument) {
    return /^[\w.,:=+\/-]+$/.test(argument) ? argument
        : "'" + argument.replace(/'/g, "'\\''") + "'";
  }

  function commandLine(planned) {
    if (planned.error !== undefined) return 'gif2frm';
    var first = ['gif2frm'].concat(planned.runs[0].args.map(quoteForShell)).join(' ');
    var more = planned.runs.length - 1;
    return more === 0 ? first
        : first + '   (and ' + more + ' more, one run per sprite)';
  }

  // ---- Choosing files ---------------------------------------------------------

  function fileName(path) { return path.slice(path.lastIndexOf('/') + 1); }

  function folderName(path) {
    var slash = path.lastIndexOf('/');
    return slash < 0 ? '' : path.slice(0, slash);
  }

  // files: [{path, file}], path with the folders it came from. A palette
  // file goes to the palette; an image picked alone is an image; a folder
  // that holds an image is a sprite of its own, whose frames are the files
  // in it (which of them are images, gif2frm tells by their first bytes, as
  // it does in a folder on disk).
  function choose(files) {
    var palettes = files.filter(function(f) { return PALETTE_FILE.test(f.path); });
    if (palettes.length > 0) state.palette = palettes[0].file;
    var chosen = [];
    var folders = {};
    files.forEach(function(f) {
      var folder = folderName(f.path);
      var entry = {name: fileName(f.path), path: f.path, file: f.file};
      if (folder === '') {
        if (!PALETTE_FILE.test(f.path)) chosen.push(entry);
        return;
      }
      if (!folders[folder]) {
        folders[folder] = {name: fileName(folder), path: folder, folder: []};
      }
      folders[folder].folder.push(entry);
    });
    Object.keys(folders).forEach(function(path) {
      var folder = folders[path];
      if (folder.folder.some(function(f) { return IMAGE_FILE.test(f.name); })) {
        chosen.push(folder);
      }
    });
    if (chosen.length === 0) return;
    state.images = sortByName(chosen);
    state.directionOf = [0, 1, 2, 3, 4, 5];
    // Six images picked are first taken as one sprite's directions.
    state.grouping = 'directions';
    if (!sixDirections()) state.grouping = 'each';
    state.framesName = null;
    state.notice = null;
  }

  function picked(fileList) {
    return Array.from(fileList).map(function(file) {
      return {path: file.webkitRelativePath || file.name, file: file};
    });
  }

  // The files of a dropped folder, however deep, with their paths.
  function entryFiles(entry, into) {
    if (entry.isFile) {
      return new Promise(function(resolve) {
        entry.file(function(file) {
          into.push({path: entry.fullPath.replace(/^\//, ''), file: file});
          resolve();
        }, function() { resolve(); });
      });
    }
    var reader = entry.createReader();
    return new Promise(function(resolve) {
      var entries = [];
      (function more() {
        reader.readEntries(function(batch) {
          if (batch.length === 0) {
            resolve(Promise.all(entries.map(function(e) {
              return entryFiles(e, into);
            })));
          } else {
            entries.push.apply(entries, batch);
            more();
          }
        }, function() { resolve(); });
      })();
    });
  }

  function dropped(transfer) {
    var entries = Array.from(transfer.items || []).map(function(item) {
      return item.webkitGetAsEntry ? item.webkitGetAsEntry() : null;
    });
    if (entries.length === 0 || entries.some(function(e) { return e === null; })) {
      return Promise.resolve(picked(transfer.files));
    }
    var files = [];
    return Promise.all(entries.map(function(e) { return entryFiles(e, files); }))
        .then(function() { return files; });
  }

  // ---- Running -------------------------------------------------------------

  var nextJob = 1;

  function readFiles(files) {
    return Promise.all(files.map(function(f) { return f.file.arrayBuffer(); }))
        .then(function(buffers) {
          var inputs = {};
          files.forEach(function(f, i) { inputs[f.name] = new Uint8Array(buffers[i]); });
          return inputs;
        });
  }

  function startRuns() {
    var planned = plannedRuns();
    if (planned.error !== undefined || state.running || !state.ready) return;
    clearResults();
    state.controller = new AbortController();
    state.running = true;
    state.notice = null;
    state.jobs = planned.runs.map(function(run) {
      return {id: nextJob++, label: run.label, args: run.args, files: run.files,
              sources: run.sources, folder: run.folder, state: 'queued',
              status: null, stdout: '', read: 0, total: 0, outputs: {},
              urls: {}, error: ''};
    });
    render();
    runNext();
  }

  function runNext() {
    var job = state.jobs.find(function(j) { return j.state === 'queued'; });
    if (!job || state.controller.signal.aborted) {
      finishRuns();
      return;
    }
    job.state = 'running';
    render();
    var signal = state.controller.signal;
    // The files themselves: the worker reads them.
    var inputs = {};
    job.files.forEach(function(f) { inputs[f.name] = f.file; });
    Promise.resolve().then(function() {
      return gif2frm.convert(inputs, job.args, {
        signal: signal, blobs: true,
        onOutput: function(text) { job.stdout += text; renderSoon(); },
        onProgress: function(read, total) {
          job.read = read;
          job.total = total;
          renderSoon();
        },
      });
    }).then(function(result) {
      job.state = 'done';
      job.status = result.status;
      job.stdout = result.stdout;
      job.outputs = result.outputs;
      Object.keys(result.blobs).forEach(function(name) {
        job.urls[name] = URL.createObjectURL(result.blobs[name]);
      });
    }, function(error) {
      if (error && error.name === 'AbortError') {
        job.state = 'cancelled';
      } else {
        job.state = 'failed';
        // A trap of the core rejects with what it threw, not always an Error.
        job.error = 'The converter failed: ' +
                    (error instanceof Error ? error.message : String(error));
      }
    }).then(function() {
      render();
      runNext();
    });
  }

  function finishRuns() {
    state.jobs.forEach(function(job) {
      if (job.state === 'queued') job.state = 'cancelled';
    });
    state.running = false;
    render();
    // One sprite: its preview opens by itself, as the result of the click,
    // unless it is so large that drawing it would hold the page up (its
    // Preview button still shows it).
    var frms = frmsOf(state.jobs);
    if (state.jobs.length === 1 && frms.length === 1 &&
        frms[0].bytes.length <= AUTO_PREVIEW_BYTES) {
      openPreview(state.jobs[0], frms[0].name);
    } else {
      el.resultsHeading.focus();
    }
  }

  function cancelRuns() {
    if (state.running) state.controller.abort();
  }

  function clearResults() {
    state.jobs.forEach(function(job) {
      Object.keys(job.urls).forEach(function(name) { URL.revokeObjectURL(job.urls[name]); });
    });
    state.jobs = [];
    closePreview();
  }

  // Every FRM of jobs: {job, name, bytes, path} with path its name in the
  // .zip, after the folder the image came from.
  function frmsOf(jobs) {
    var frms = [];
    jobs.forEach(function(job) {
      Object.keys(job.outputs).forEach(function(name) {
        if (/\.frm$/i.test(name)) {
          frms.push({job: job, name: name, bytes: job.outputs[name],
                     path: job.folder + name});
        }
      });
    });
    return frms;
  }

  // Two images of one name (from two folders) would make two entries of one
  // name: the second becomes "name (2).frm".
  function zipEntries(frms) {
    var taken = {};
    return frms.map(function(frm) {
      var path = frm.path;
      for (var n = 2; taken[path.toLowerCase()]; n++) {
        path = frm.path.replace(/(\.frm)?$/i, ' (' + n + ')$1');
      }
      taken[path.toLowerCase()] = true;
      return [path, frm.bytes];
    });
  }

  function downloadZip() {
    var entries = zipEntries(frmsOf(state.jobs));
    if (entries.length === 0) return;
    el.downloadZip.disabled = true;
    gif2frm.zip(entries).then(function(bytes) {
      var url = URL.createObjectURL(new Blob([bytes], {type: 'application/zip'}));
      var link = document.createElement('a');
      link.href = url;
      link.download = 'sprites.zip';
      document.body.appendChild(link);
      link.click();
      link.remove();
      setTimeout(function() { URL.revokeObjectURL(url); }, 60000);
    }, function(error) {
      state.notice = 'The .zip could not be made: ' + error.message;
    }).then(render);
  }

  // ---- The checking preview -------------------------------------------------

  function closePreview() {
    var preview = state.preview;
    if (preview === null) return;
    stopPlaying();
    preview.sources.forEach(function(source) {
      if (source.url) URL.revokeObjectURL(source.url);
      source.parts.forEach(function(part) { part.decoder.close(); });
    });
    state.preview = null;
  }

  function startsWith(bytes, signature) {
    return signature.every(function(byte, i) { return bytes[i] === byte; });
  }

  // The kind of picture bytes hold, by the signature gif2frm tells them by;
  // '' for neither (in a folder, gif2frm leaves such a file out).
  function imageType(bytes) {
    if (startsWith(bytes, [0x89, 0x50, 0x4e, 0x47, 0x0d, 0x0a, 0x1a, 0x0a])) {
      return 'image/png';  // PNG or APNG
    }
    var gif = [0x47, 0x49, 0x46, 0x38];  // "GIF8", then "7a" or "9a"
    if (startsWith(bytes, gif.concat([0x37, 0x61])) ||
        startsWith(bytes, gif.concat([0x39, 0x61]))) {
      return 'image/gif';
    }
    return '';
  }

  // -g='s cells, {columns, rows}, as gif2frm reads them (the last -g=
  // counts; args end with the input); null without -g=.
  function sheetOf(args) {
    var sheet = null;
    args.slice(0, -1).forEach(function(arg) {
      if (arg.indexOf('-g=') !== 0) return;
      var cells = /^-g=(\d+)x(\d+)$/.exec(arg);
      sheet = cells && Number(cells[1]) > 0 && Number(cells[2]) > 0
          ? {columns: Number(cells[1]), rows: Number(cells[2])} : null;
    });
    return sheet;
  }

  // A source as the preview shows it: the frames of its files one after
  // another (a folder's images in gif2frm's order), or the cells of a sprite
  // sheet; drawn frame by frame where the browser decodes them so
  // (ImageDecoder, an APNG's frames composed as the browser composes them,
  // and the colours as stored, as gif2frm reads them), else the first image
  // shown as the browser plays it.
  function openSource(described, sheet) {
    var source = {parts: [], frames: [], sheet: sheet, url: null};
    return Promise.all(described.files.map(function(file) {
      return file.arrayBuffer();
    })).then(function(buffers) {
      var images = buffers.map(function(buffer) { return new Uint8Array(buffer); })
          .filter(function(bytes) { return imageType(bytes) !== ''; });
      if (images.length === 0) return source;
      if (typeof ImageDecoder !== 'function') {
        source.url = URL.createObjectURL(new Blob([images[0]],
                                                  {type: imageType(images[0])}));
        return source;
      }
      return Promise.all(images.map(openPart)).then(function(parts) {
        source.parts = parts.filter(function(part) { return part !== null; });
        return source;
      });
    }).catch(function() { return source; });
  }

  // One image's decoder and its number of frames; null when the browser
  // cannot read it.
  function openPart(bytes) {
    var decoder;
    try {
      decoder = new ImageDecoder({data: bytes, type: imageType(bytes),
                                  colorSpaceConversion: 'none'});
    } catch (error) {
      return Promise.resolve(null);
    }
    return decoder.tracks.ready.then(function() {
      return decoder.completed;
    }).then(function() {
      var track = decoder.tracks.selectedTrack;
      return {decoder: decoder, count: track ? track.frameCount : 0};
    }).catch(function() {
      decoder.close();
      return null;
    });
  }

  // Frame index of the source, {picture, x, y, width, height}: the part of
  // a decoded picture to draw (a sheet's cell, or all of it); null where
  // there is none.
  function sourceFrame(source, index) {
    var sheet = source.sheet;
    if (sheet === null) {
      return decodedFrame(source, index).then(function(picture) {
        return picture && {picture: picture, x: 0, y: 0,
                           width: picture.width, height: picture.height};
      });
    }
    if (index >= sheet.columns * sheet.rows) return Promise.resolve(null);
    return decodedFrame(source, 0).then(function(picture) {
      if (!picture) return null;
      var width = Math.floor(picture.width / sheet.columns);
      var height = Math.floor(picture.height / sheet.rows);
      return {picture: picture, x: index % sheet.columns * width,
              y: Math.floor(index / sheet.columns) * height,
              width: width, height: height};
    });
  }

  function decodedFrame(source, index) {
    if (source.frames[index] !== undefined) return Promise.resolve(source.frames[index]);
    var part = 0;
    var first = index;
    while (part < source.parts.length && first >= source.parts[part].count) {
      first -= source.parts[part].count;
      part++;
    }
    if (part === source.parts.length) return Promise.resolve(null);
    return source.parts[part].decoder.decode({frameIndex: first}).then(function(result) {
      return createImageBitmap(result.image).then(function(bitmap) {
        result.image.close();
        source.frames[index] = bitmap;
        return bitmap;
      });
    }).catch(function() { return null; });
  }

  function openPreview(job, frmName) {
    closePreview();
    var preview = {job: job, frmName: frmName, sprite: null, message: '',
                   frame: 0, playing: false, timer: null, sources: []};
    state.preview = preview;
    render();
    var palette = job.files.filter(function(f) {
      return state.palette !== null && f.file === state.palette;
    })[0];
    var sixInOne = job.args.indexOf('-6') >= 0;
    (palette ? readFiles([palette]) : Promise.resolve({})).then(function(inputs) {
      var paletteEntry = palette ? [palette.name, inputs[palette.name]] : null;
      return Promise.all([
        gif2frm.viewSprite([frmName, job.outputs[frmName]], paletteEntry),
        Promise.all(job.sources.map(function(described) {
          return openSource(described, sheetOf(job.args));
        })),
      ]);
    }).then(function(got) {
      if (state.preview !== preview) return null;
      preview.sources = got[1];
      preview.sixInOne = sixInOne;
      if (got[0] !== null) {
        preview.sprite = got[0];
        if (!state.view.zoom) state.view.zoom = defaultZoom(got[0]);
        return null;
      }
      // The viewer's own words for why it cannot show the sprite.
      var files = {};
      files[frmName] = job.outputs[frmName];
      return gif2frm.frm2gif(files, [frmName]).then(function(result) {
        preview.message = result.stdout;
      });
    }).catch(function(error) {
      preview.message = 'The preview failed: ' + error.message;
    }).then(function() {
      if (state.preview !== preview) return;
      render();
      el.previewHeading.focus();
    });
  }

  function largestPicture(sprite) {
    return sprite.directions.reduce(function(most, d) {
      return Math.max(most, d.width, d.height);
    }, 1);
  }

  function zoomLimit(sprite) {
    return Math.max(1, Math.min(8, Math.floor(MAX_CANVAS / largestPicture(sprite))));
  }

  function defaultZoom(sprite) {
    var size = largestPicture(sprite);
    return Math.min(zoomLimit(sprite), size <= 128 ? 3 : size <= 320 ? 2 : 1);
  }

  function frameDelayMs(sprite) {
    var fps = sprite.framesPerSecond;
    var hundredths = fps === 0 ? DEFAULT_DELAY : Math.max(1, Math.round(100 / fps));
    return hundredths * 10;
  }

  function frameCount() {
    var sprite = state.preview && state.preview.sprite;
    return sprite ? sprite.directions[0].frames.length : 0;
  }

  function stepFrame(by) {
    var count = frameCount();
    if (count === 0) return;
    state.preview.frame = (state.preview.frame + by + count) % count;
    render();
  }

  function stopPlaying() {
    var preview = state.preview;
    if (preview && preview.timer !== null) clearTimeout(preview.timer);
    if (preview) {
      preview.timer = null;
      preview.playing = false;
    }
  }

  function togglePlaying() {
    var preview = state.preview;
    if (!preview || !preview.sprite) return;
    if (preview.playing) {
      stopPlaying();
    } else {
      preview.playing = true;
      (function tick() {
        preview.timer = setTimeout(function() {
          if (!preview.playing) return;
          stepFrame(1);
          tick();
        }, frameDelayMs(preview.sprite));
      })();
    }
    render();
  }

  function setZoom(zoom) {
    var sprite = state.preview && state.preview.sprite;
    if (!sprite) return;
    state.view.zoom = Math.max(1, Math.min(zoomLimit(sprite), zoom));
    render();
  }

  // ---- Rendering ------------------------------------------------------------

  var renderPending = false;

  // Writes to the page only what changed: a list of hundreds of runs is
  // rendered many times a second while they run.
  function setText(element, text) {
    if (element.textContent !== text) element.textContent = text;
  }
  function setAttribute(element, name, value) {
    if (element.getAttribute(name) !== value) element.setAttribute(name, value);
  }
  function setHidden(element, hidden) {
    if (element.hidden !== hidden) element.hidden = hidden;
  }

  // For what comes often (output, progress): one render per animation frame.
  function renderSoon() {
    if (renderPending) return;
    renderPending = true;
    requestAnimationFrame(function() {
      renderPending = false;
      render();
    });
  }

  function render() {
    renderNotice();
    var planned = plannedRuns();
    renderChoice(planned);
    renderOptions();
    renderRunControls(planned);
    renderResults();
    renderPreview();
  }

  // The one place where the page's own errors are shown.
  function renderNotice() {
    setHidden(el.notice, state.notice === null);
    setText(el.notice, state.notice || '');
  }

  function renderChoice(planned) {
    var images = state.images;
    var loose = looseImages().length;
    var folders = images.length - loose;
    var counts = [];
    if (loose > 0) counts.push(loose + (loose === 1 ? ' image' : ' images'));
    if (folders > 0) counts.push(folders + (folders === 1 ? ' folder' : ' folders'));
    var summary = images.length === 0 ? 'No image chosen.'
        : counts.join(' and ') + ': ' + images.map(function(image) {
            return image.folder ? image.path + '/ (' + image.folder.length +
                                  (image.folder.length === 1 ? ' file)' : ' files)')
                                : image.path;
          }).join(', ');
    if (planned.error !== undefined && images.length > 0) summary += ' ' + planned.error;
    setText(el.fileSummary, summary);
    setHidden(el.grouping, loose < 2);
    setHidden(el.groupingDirectionsChoice,
              loose !== DIRECTIONS || images.length !== DIRECTIONS);
    el.groupingEach.checked = state.grouping === 'each';
    el.groupingDirections.checked = state.grouping === 'directions';
    el.groupingFrames.checked = state.grouping === 'frames';
    setHidden(el.framesNameRow, !framesGrouped());
    if (el.framesName.value !== framesName()) el.framesName.value = framesName();
    var directions = sixDirections();
    setHidden(el.directions, !directions);
    setHidden(el.directionsHelp, !directions);
    setText(el.directionsHelp, state.help['-1='] || '');
    setText(el.paletteHelp, state.help['-p='] || '');
    renderDirectionTable(directions);
  }

  var directionTableFor = null;  // the images the table was made for

  function renderDirectionTable(shown) {
    var body = el.directions.querySelector('tbody');
    if (!shown) {
      body.textContent = '';
      directionTableFor = null;
      return;
    }
    if (directionTableFor !== state.images) {
      directionTableFor = state.images;
      body.textContent = '';
      state.images.forEach(function(image, index) {
        var row = document.createElement('tr');
        var name = document.createElement('td');
        name.textContent = image.path;
        var cell = document.createElement('td');
        var select = document.createElement('select');
        select.setAttribute('data-index', String(index));
        select.setAttribute('aria-label', 'Direction of ' + image.path);
        for (var d = 0; d < DIRECTIONS; d++) {
          var option = document.createElement('option');
          option.value = String(d);
          option.textContent = d === 0 ? '0 (the input)' : String(d);
          select.appendChild(option);
        }
        cell.appendChild(select);
        row.appendChild(name);
        row.appendChild(cell);
        body.appendChild(row);
      });
    }
    body.querySelectorAll('select').forEach(function(select) {
      select.value = String(state.directionOf[Number(select.getAttribute('data-index'))]);
    });
  }

  function renderOptions() {
    state.fields.forEach(function(field) {
      var value = state.values[field.key];
      if (field.field === 'switch') {
        field.input.checked = value;
        field.input.disabled = field.key === '-6' && sixDirections();
      } else if (field.field !== 'file' && field.input.value !== value) {
        field.input.value = value;
      }
    });
  }

  function renderRunControls(planned) {
    setText(el.commandLine, commandLine(planned));
    el.convert.disabled = planned.error !== undefined || !state.ready || state.running;
    el.cancel.disabled = !state.running;
    var jobs = state.jobs;
    var finished = jobs.filter(function(j) {
      return j.state === 'done' || j.state === 'failed';
    }).length;
    var running = jobs.find(function(j) { return j.state === 'running'; });
    el.progressBar.max = Math.max(1, jobs.length);
    el.progressBar.value = finished + (running ? fraction(running) : 0);
    setText(el.progressText, jobs.length === 0 ? ''
        : finished + ' of ' + jobs.length + (jobs.length === 1 ? ' sprite' : ' sprites') +
          ' done' + (running ? '; ' + running.label + ' ' + percent(running) : '') +
          (!state.running && finished < jobs.length ? '; cancelled' : ''));
    el.downloadZip.disabled = state.running || frmsOf(jobs).length === 0;
  }

  function fraction(job) { return job.total > 0 ? Math.min(1, job.read / job.total) : 0; }
  function percent(job) { return Math.floor(100 * fraction(job)) + '% read'; }

  var rows = {};  // the list item of each job, by id

  function outcomeText(job) {
    switch (job.state) {
      case 'queued': return 'waiting';
      case 'running': return 'converting, ' + percent(job);
      case 'cancelled': return job.stdout === '' ? 'not converted (cancelled)'
                                                 : 'stopped (cancelled)';
      case 'failed': return 'failed';
      default: return (job.status === 0 ? 'converted' : 'not converted') +
                      ' (status ' + job.status + ')';
    }
  }

  function makeRow(job) {
    var row = {item: document.createElement('li')};
    var name = document.createElement('span');
    name.className = 'name';
    name.textContent = job.label;
    row.outcome = document.createElement('span');
    row.outcome.className = 'outcome';
    row.progress = document.createElement('progress');
    row.progress.max = 1;
    row.progress.setAttribute('aria-label', 'Read of ' + job.label);
    row.messages = document.createElement('pre');
    row.messages.className = 'messages';
    row.actions = document.createElement('div');
    row.actions.className = 'actions';
    row.item.append(name, ' ', row.outcome, row.progress, row.messages, row.actions);
    row.item.setAttribute('data-job', String(job.id));
    return row;
  }

  function fillActions(row, job) {
    Object.keys(job.outputs).forEach(function(name) {
      var link = document.createElement('a');
      link.href = job.urls[name];
      link.download = name;
      link.textContent = 'Download ' + name + ' (' +
                         job.outputs[name].length.toLocaleString('en') + ' bytes)';
      row.actions.appendChild(link);
      if (/\.frm$/i.test(name)) {
        var button = document.createElement('button');
        button.type = 'button';
        button.className = 'preview-button';
        button.textContent = 'Preview ' + name;
        button.addEventListener('click', function() { openPreview(job, name); });
        row.actions.appendChild(button);
      }
    });
  }

  function renderResults() {
    var wanted = {};
    state.jobs.forEach(function(job) {
      wanted[job.id] = true;
      var row = rows[job.id];
      if (!row) {
        row = rows[job.id] = makeRow(job);
        el.results.appendChild(row.item);
      }
      setAttribute(row.item, 'data-state', job.state);
      setAttribute(row.item, 'data-status', job.status === null ? '' : String(job.status));
      setText(row.outcome, outcomeText(job));
      setHidden(row.progress, job.state !== 'running');
      if (job.state === 'running') row.progress.value = fraction(job);
      var text = job.error || job.stdout;
      setText(row.messages, text);
      setHidden(row.messages, text === '');
      if (job.state === 'done' && !row.filled) {
        row.filled = true;
        fillActions(row, job);
      }
    });
    Object.keys(rows).forEach(function(id) {
      if (!wanted[id]) {
        rows[id].item.remove();
        delete rows[id];
      }
    });
  }

  var figuresFor = null;  // the preview the figures were made for

  // What lies behind a picture, as the canvas's own background: painting it
  // into a 4000 x 4000 canvas would cost the page as much as the picture.
  function paintBackground(canvas) {
    var background = state.view.background === 'black' ? 'black'
        : state.view.background === 'color' ? 'color' : 'checkerboard';
    setAttribute(canvas, 'data-background', background);
    var color = background === 'color' ? state.view.color : '';
    if (canvas.style.backgroundColor !== color) canvas.style.backgroundColor = color;
  }

  // A canvas of width x height, cleared, with the picture's background.
  function clearedCanvas(canvas, width, height) {
    paintBackground(canvas);
    var context = canvas.getContext('2d');
    if (canvas.width !== width || canvas.height !== height) {
      canvas.width = width;
      canvas.height = height;
    } else {
      context.clearRect(0, 0, width, height);
    }
    context.imageSmoothingEnabled = false;
    return context;
  }

  function makeFigures(preview) {
    el.previewDirections.textContent = '';
    var figures = [];
    if (!preview.sprite) {
      if (preview.message !== '') {
        var message = document.createElement('pre');
        message.textContent = preview.message;
        el.previewDirections.appendChild(message);
      }
      return figures;
    }
    preview.sprite.directions.forEach(function(direction, d) {
      var figure = document.createElement('figure');
      var name = preview.sprite.directions.length === 1 ? 'one direction'
                                                        : 'direction ' + d;
      var pictures = document.createElement('div');
      pictures.className = 'pictures';
      var canvas = document.createElement('canvas');
      canvas.className = 'result';
      canvas.setAttribute('role', 'img');
      canvas.setAttribute('aria-label', preview.frmName + ', ' + name);
      pictures.appendChild(canvas);
      var source = sourceElement(preview, d);
      if (source) pictures.appendChild(source);
      var caption = document.createElement('figcaption');
      var title = document.createElement('span');
      title.textContent = name;
      var info = document.createElement('span');
      info.className = 'frame-info';
      caption.append(title, ': ', info);
      figure.append(pictures, caption);
      el.previewDirections.appendChild(figure);
      figures.push({canvas: canvas, info: info, source: source});
    });
    return figures;
  }

  // The source of direction d: its own image, or the one image of them all.
  function sourceOf(preview, d) {
    var sources = preview.sources;
    if (sources.length === DIRECTIONS) return {source: sources[d], first: 0};
    if (sources.length !== 1) return null;
    if (preview.sixInOne) return {source: sources[0], first: d * frameCount()};
    return d === 0 ? {source: sources[0], first: 0} : null;
  }

  function sourceElement(preview, d) {
    var of = sourceOf(preview, d);
    if (!of) return null;
    var element = document.createElement(of.source.url ? 'img' : 'canvas');
    element.className = 'source';
    if (of.source.url) {
      element.src = of.source.url;
      element.alt = 'The source image';
    } else {
      element.setAttribute('role', 'img');
      element.setAttribute('aria-label', 'The source image, direction ' + d);
    }
    return element;
  }

  function drawFrame(figure, direction, frame, zoom) {
    var canvas = figure.canvas;
    var context = clearedCanvas(canvas, direction.width * zoom, direction.height * zoom);
    if (frame.picture) {
      if (frame.picture.data) {  // ImageData: the worker had no ImageBitmap
        var scratch = document.createElement('canvas');
        scratch.width = frame.width;
        scratch.height = frame.height;
        scratch.getContext('2d').putImageData(frame.picture, 0, 0);
        frame.picture = scratch;
      }
      context.drawImage(frame.picture, frame.left * zoom, frame.top * zoom,
                        frame.width * zoom, frame.height * zoom);
    }
    // The rectangle, drawn inside the frame's pixels.
    context.strokeStyle = '#ff00ff';
    context.lineWidth = 1;
    if (frame.width > 0 && frame.height > 0) {
      context.strokeRect(frame.left * zoom + 0.5, frame.top * zoom + 0.5,
                         frame.width * zoom - 1, frame.height * zoom - 1);
    }
    // The reference point, the centre of the bottom edge, where gif2frm
    // measures it: a frame w wide at left in a picture W wide lies
    // left - floor((W - w) / 2) from the picture's centre, column
    // floor(W / 2), so that every frame of the same offset has its point in
    // the same column. (For an odd w in an even W that is one right of
    // left + floor(w / 2).) A frame without pixels is laid out as one pixel.
    var empty = frame.width === 0 || frame.height === 0;
    var shownWidth = empty ? 1 : frame.width;
    var x = Math.floor(direction.width / 2) + frame.left -
            Math.floor((direction.width - shownWidth) / 2);
    var y = frame.top + (empty ? 1 : frame.height);
    context.fillStyle = '#00e0ff';
    var size = Math.max(3, zoom);
    context.fillRect(x * zoom - size, y * zoom - 1, 2 * size + 1, 1);
    context.fillRect(x * zoom, y * zoom - size, 1, size);
    canvas.setAttribute('data-rect', [frame.left, frame.top, frame.width, frame.height].join(','));
    canvas.setAttribute('data-reference', x + ',' + y);
    figure.info.textContent = 'frame ' + (state.preview.frame + 1) + ': ' +
        frame.width + ' \u00d7 ' + frame.height + ' pixels at (' + frame.left + ', ' +
        frame.top + '), offset (' + frame.offsetX + ', ' + frame.offsetY + ')';
  }

  function drawSource(figure, preview, d, zoom) {
    var of = sourceOf(preview, d);
    var element = figure.source;
    if (!of) return;
    element.hidden = !state.view.showSource;
    if (of.source.url) {
      element.style.width = element.naturalWidth ? element.naturalWidth * zoom + 'px' : '';
      return;
    }
    var frame = preview.frame;
    sourceFrame(of.source, of.first + frame).then(function(shown) {
      if (state.preview !== preview || preview.frame !== frame || !shown) return;
      var context = clearedCanvas(element, shown.width * zoom, shown.height * zoom);
      context.drawImage(shown.picture, shown.x, shown.y, shown.width, shown.height,
                        0, 0, element.width, element.height);
    });
  }

  var figures = [];

  function renderPreview() {
    var preview = state.preview;
    el.preview.hidden = preview === null;
    if (preview === null) {
      figuresFor = null;
      return;
    }
    if (figuresFor !== preview || figures.length === 0 && preview.sprite) {
      figuresFor = preview;
      figures = makeFigures(preview);
    }
    var sprite = preview.sprite;
    var count = frameCount();
    [el.play, el.previousFrame, el.nextFrame, el.zoom].forEach(function(control) {
      control.disabled = !sprite;
    });
    el.play.textContent = preview.playing ? 'Pause' : 'Play';
    el.play.setAttribute('aria-pressed', String(preview.playing));
    el.frameNumber.textContent = sprite ? 'Frame ' + (preview.frame + 1) + ' of ' + count
                                        : preview.message === '' ? 'Reading the sprite...' : '';
    el.background.value = state.view.background;
    el.backgroundColor.hidden = state.view.background !== 'color';
    el.showSource.checked = state.view.showSource;
    if (!sprite) return;
    var limit = zoomLimit(sprite);
    if (el.zoom.options.length !== limit) {
      el.zoom.textContent = '';
      for (var z = 1; z <= limit; z++) {
        var option = document.createElement('option');
        option.value = String(z);
        option.textContent = z + '\u00d7';
        el.zoom.appendChild(option);
      }
    }
    var zoom = Math.min(state.view.zoom || 1, limit);
    el.zoom.value = String(zoom);
    sprite.directions.forEach(function(direction, d) {
      drawFrame(figures[d], direction, direction.frames[preview.frame], zoom);
      drawSource(figures[d], preview, d, zoom);
    });
  }

  // ---- Events: each changes the state, then renders ---------------------------

  function onFieldInput(event) {
    var key = event.target.getAttribute('data-key');
    if (key === null) return;
    var field = state.fields.find(function(f) { return f.key === key; });
    state.values[key] = field.field === 'switch' ? event.target.checked
        : field.field === 'file' ? (event.target.files[0] || null)
        : event.target.value;
    render();
  }

  el.files.addEventListener('change', function() {
    choose(picked(el.files.files));
    render();
  });
  el.folder.addEventListener('change', function() {
    choose(picked(el.folder.files));
    render();
  });
  el.paletteFile.addEventListener('change', function() {
    state.palette = el.paletteFile.files[0] || null;
    render();
  });
  el.paletteClear.addEventListener('click', function() {
    state.palette = null;
    el.paletteFile.value = '';
    render();
  });
  el.grouping.addEventListener('change', function(event) {
    if (event.target.name !== 'grouping') return;
    state.grouping = event.target.value;
    render();
  });
  el.framesName.addEventListener('input', function() {
    state.framesName = el.framesName.value;
    render();
  });
  el.directions.addEventListener('change', function(event) {
    var index = Number(event.target.getAttribute('data-index'));
    state.directionOf[index] = Number(event.target.value);
    render();
  });
  el.options.addEventListener('input', onFieldInput);
  el.options.addEventListener('change', onFieldInput);
  el.converter.addEventListener('submit', function(event) {
    event.preventDefault();
    startRuns();
  });
  el.cancel.addEventListener('click', cancelRuns);
  el.downloadZip.addEventListener('click', downloadZip);

  el.dropZone.addEventListener('dragover', function(event) {
    event.preventDefault();
    el.dropZone.classList.add('dragging');
  });
  el.dropZone.addEventListener('dragleave', function() {
    el.dropZone.classList.remove('dragging');
  });
  el.dropZone.addEventListener('drop', function(event) {
    event.preventDefault();
    el.dropZone.classList.remove('dragging');
    dropped(event.dataTransfer).then(function(files) {
      choose(files);
      render();
    });
  });

  el.play.addEventListener('click', togglePlaying);
  el.previousFrame.addEventListener('click', function() { stopPlaying(); stepFrame(-1); });
  el.nextFrame.addEventListener('click', function() { stopPlaying(); stepFrame(1); });
  el.zoom.addEventListener('change', function() { setZoom(Number(el.zoom.value)); });
  el.background.addEventListener('change', function() {
    state.view.background = el.background.value;
    render();
  });
  el.backgroundColor.addEventListener('input', function() {
    state.view.color = el.backgroundColor.value;
    render();
  });
  el.showSource.addEventListener('change', function() {
    state.view.showSource = el.showSource.checked;
    render();
  });
  // Keys in the preview, unless a control takes them itself.
  el.preview.addEventListener('keydown', function(event) {
    var tag = event.target.tagName;
    if (tag === 'SELECT' || tag === 'INPUT' || event.altKey || event.ctrlKey ||
        event.metaKey) {
      return;
    }
    var actions = {
      ' ': tag === 'BUTTON' ? null : togglePlaying,
      ArrowLeft: function() { stopPlaying(); stepFrame(-1); },
      ArrowRight: function() { stopPlaying(); stepFrame(1); },
      '+': function() { setZoom(state.view.zoom + 1); },
      '=': function() { setZoom(state.view.zoom + 1); },
      '-': function() { setZoom(state.view.zoom - 1); },
    };
    if (actions[event.key]) {
      event.preventDefault();
      actions[event.key]();
    }
  });

  // For scripts and tests: the state, to read.
  window.gif2frmPage = {state: state};

  render();
  gif2frm.options().then(function(table) {
    buildForm(table);
    state.ready = true;
    document.body.setAttribute('data-ready', 'true');
    render();
  }, function(error) {
    state.notice = 'The converter could not start in this browser: ' + error.message;
    render();
  });
})();
