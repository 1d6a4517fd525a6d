// The page: the files and options a person picks become a gif2frm command
// line, run by the API of gif2frm.js; the program's messages are shown as it
// prints them, each file it writes is offered for download, and frm2gif
// turns each FRM into the GIFs the preview plays.
(function() {
  'use strict';

  var byId = function(id) { return document.getElementById(id); };
  var PALETTE_EXTENSIONS = /\.(pal|act|gpl)$/i;
  var DIRECTIONS = 6;

  var chosen = {gifs: [], palette: null};  // File objects
  var downloadUrls = [];

  // ---- Help texts: the program's own, from its --help ----------------------

  // "  -d=Value\tSet color delta..." and its continuation lines "\t\t...":
  // the text of each option, keyed by what the option starts with ("-d=",
  // "-n", "-1=").
  function parseHelp(text) {
    var help = {};
    var current = null;
    text.split('\n').forEach(function(line) {
      var option = /^  (-[^\t, ]+)[^\t]*\t+(.*)$/.exec(line);
      if (option) {
        var equals = option[1].indexOf('=');
        current = equals < 0 ? option[1] : option[1].slice(0, equals + 1);
        help[current] = option[2];
      } else if (current !== null && /^\t\t/.test(line)) {
        help[current] += ' ' + line.trim();
      } else {
        current = null;
      }
    });
    return help;
  }

  function showHelpTexts() {
    return gif2frm.convert({}, ['--help']).then(function(result) {
      var help = parseHelp(result.stdout);
      document.querySelectorAll('[data-help-for]').forEach(function(element) {
        var text = help[element.getAttribute('data-help-for')];
        if (text !== undefined) element.textContent = text;
      });
    });
  }

  // ---- The command line ------------------------------------------------------

  function directionOf(index) {
    var select = document.querySelector(
        '#directions select[data-index="' + index + '"]');
    return select === null ? index : Number(select.value);
  }

  // The arguments, without the program's name, for what the form says, or
  // {error} when it cannot make one. Options left at their default are left
  // out, as a person typing the command would.
  function buildArguments() {
    var args = [];
    var gifs = chosen.gifs;
    if (gifs.length !== 1 && gifs.length !== DIRECTIONS) {
      return {error: gifs.length === 0 ? 'No GIF chosen.'
          : 'Pick one GIF, or six (one for each direction): ' + gifs.length +
            ' chosen.'};
    }
    var mode = byId('match-mode').value;
    if (mode !== 'first') args.push('-m=' + mode);
    var delta = byId('color-delta').value.trim();
    if (delta !== '' && delta !== '4') args.push('-d=' + delta);
    if (byId('no-translation').checked) args.push('-n');
    var x = byId('x-shift').value.trim();
    if (x !== '' && x !== '0') args.push('-x=' + x);
    var y = byId('y-shift').value.trim();
    if (y !== '' && y !== '0') args.push('-y=' + y);
    var rate = byId('frame-rate').value.trim();
    if (rate !== '') args.push('-f=' + rate);
    var action = byId('action-frame').value.trim();
    if (action !== '' && action !== '0') args.push('-a=' + action);
    if (chosen.palette !== null) args.push('-p=' + chosen.palette.name);

    if (gifs.length === 1) {
      if (byId('six-in-one').checked) args.push('-6');
      args.push(gifs[0].name);
      return {args: args};
    }
    var byDirection = [];
    for (var i = 0; i < gifs.length; i++) {
      var direction = directionOf(i);
      if (byDirection[direction] !== undefined) {
        return {error: 'Two GIFs are set to direction ' + direction + '.'};
      }
      byDirection[direction] = gifs[i].name;
    }
    for (var d = 1; d < DIRECTIONS; d++) args.push('-' + d + '=' + byDirection[d]);
    args.push(byDirection[0]);
    return {args: args};
  }

  function quoteForShell(argument) {
    return /^[\w.,:=+\/-]+$/.test(argument) ? argument
        : "'" + argument.replace(/'/g, "'\\''") + "'";
  }

  function refresh() {
    var built = buildArguments();
    byId('command-line').textContent = built.error !== undefined
        ? 'gif2frm'
        : ['gif2frm'].concat(built.args.map(quoteForShell)).join(' ');
    byId('convert').disabled =
        built.error !== undefined || !coreReady || converting;
    byId('gif-summary').textContent = built.error !== undefined
        ? built.error
        : chosen.gifs.map(function(f) { return f.name; }).join(', ');
  }

  // ---- Choosing files --------------------------------------------------------

  function showDirections() {
    var table = byId('directions');
    var body = table.querySelector('tbody');
    body.textContent = '';
    var six = chosen.gifs.length === DIRECTIONS;
    table.hidden = !six;
    byId('directions-help').hidden = !six;
    byId('six-in-one-option').hidden = chosen.gifs.length > 1;
    if (!six) return;
    chosen.gifs.forEach(function(file, index) {
      var row = document.createElement('tr');
      var name = document.createElement('td');
      name.textContent = file.name;
      var cell = document.createElement('td');
      var select = document.createElement('select');
      select.setAttribute('data-index', String(index));
      select.setAttribute('aria-label', 'Direction of ' + file.name);
      for (var d = 0; d < DIRECTIONS; d++) {
        var option = document.createElement('option');
        option.value = String(d);
        option.textContent = d === 0 ? '0 (the input)' : String(d);
        option.selected = d === index;
        select.appendChild(option);
      }
      select.addEventListener('change', refresh);
      cell.appendChild(select);
      row.appendChild(name);
      row.appendChild(cell);
      body.appendChild(row);
    });
  }

  function chooseGifs(files) {
    // Sorted by name, so that six files named for their directions start
    // out in order.
    chosen.gifs = Array.from(files).sort(function(a, b) {
      return a.name < b.name ? -1 : a.name > b.name ? 1 : 0;
    });
    showDirections();
    refresh();
  }

  function choosePalette(file) {
    chosen.palette = file;
    if (file === null) byId('palette-file').value = '';
    refresh();
  }

  function fileList(files) {
    var transfer = new DataTransfer();
    files.forEach(function(file) { transfer.items.add(file); });
    return transfer.files;
  }

  function setUpDropZone() {
    var zone = byId('drop-zone');
    zone.addEventListener('dragover', function(event) {
      event.preventDefault();
      zone.classList.add('dragging');
    });
    zone.addEventListener('dragleave', function() {
      zone.classList.remove('dragging');
    });
    zone.addEventListener('drop', function(event) {
      event.preventDefault();
      zone.classList.remove('dragging');
      var files = Array.from(event.dataTransfer.files);
      var palettes = files.filter(function(f) {
        return PALETTE_EXTENSIONS.test(f.name);
      });
      var gifs = files.filter(function(f) {
        return !PALETTE_EXTENSIONS.test(f.name);
      });
      // The pickers show what was dropped, as if it had been picked.
      if (palettes.length > 0) {
        byId('palette-file').files = fileList(palettes.slice(0, 1));
        choosePalette(palettes[0]);
      }
      if (gifs.length > 0) {
        byId('gif-files').files = fileList(gifs);
        chooseGifs(gifs);
      }
    });
  }

  // ---- Running ---------------------------------------------------------------

  function readFile(file) {
    return file.arrayBuffer().then(function(buffer) {
      return new Uint8Array(buffer);
    });
  }

  function clearDownloads() {
    downloadUrls.forEach(function(url) { URL.revokeObjectURL(url); });
    downloadUrls = [];
    byId('downloads').textContent = '';
  }

  function offerDownloads(outputs) {
    Object.keys(outputs).forEach(function(name) {
      var bytes = outputs[name];
      var url = URL.createObjectURL(
          new Blob([bytes], {type: 'application/octet-stream'}));
      downloadUrls.push(url);
      var link = document.createElement('a');
      link.href = url;
      link.download = name;
      link.textContent = 'Download ' + name + ' (' +
                         bytes.length.toLocaleString('en') + ' bytes)';
      var item = document.createElement('li');
      item.appendChild(link);
      byId('downloads').appendChild(item);
    });
  }

  // ---- The preview: the sprite as frm2gif shows it ---------------------------

  var previewUrls = [];

  function clearPreview() {
    previewUrls.forEach(function(url) { URL.revokeObjectURL(url); });
    previewUrls = [];
    byId('preview-frames').textContent = '';
    byId('preview').hidden = true;
  }

  // "walk_3.gif" is direction 3; a sprite of one direction has only
  // "walk.gif".
  function directionName(gifName) {
    var match = /_([0-5])\.gif$/.exec(gifName);
    return match === null ? 'one direction' : 'direction ' + match[1];
  }

  // How much larger a picture of that width is shown: a sprite is often a
  // few dozen pixels wide, a photo can be wider than the page.
  function enlargement(width) {
    return width <= 128 ? 3 : width <= 320 ? 2 : 1;
  }

  // One figure per direction: the viewer's GIF, playing, enlarged with the
  // pixels kept square, over a checkerboard where index 0 (transparent)
  // lets it through.
  function showDirectionGifs(frmName, gifs) {
    Object.keys(gifs).sort().forEach(function(gifName) {
      var url = URL.createObjectURL(new Blob([gifs[gifName]], {type: 'image/gif'}));
      previewUrls.push(url);
      var figure = document.createElement('figure');
      var image = document.createElement('img');
      image.alt = frmName + ', ' + directionName(gifName);
      image.addEventListener('load', function() {
        image.style.width = enlargement(image.naturalWidth) * image.naturalWidth + 'px';
      });
      image.src = url;
      var caption = document.createElement('figcaption');
      caption.textContent = directionName(gifName);
      figure.appendChild(image);
      figure.appendChild(caption);
      byId('preview-frames').appendChild(figure);
    });
  }

  // Runs the viewer on each FRM the converter wrote. The viewer's own
  // message is shown only when it refuses (a sprite too large for a GIF).
  function showPreview(outputs) {
    var frms = Object.keys(outputs).filter(function(name) {
      return /\.frm$/i.test(name);
    });
    return frms.reduce(function(previous, frmName) {
      return previous.then(function() {
        var files = {};
        files[frmName] = outputs[frmName];
        return gif2frm.frm2gif(files, [frmName]);
      }).then(function(result) {
        if (result.status === 0) {
          showDirectionGifs(frmName, result.outputs);
        } else {
          var message = document.createElement('pre');
          message.textContent = result.stdout;
          byId('preview-frames').appendChild(message);
        }
        byId('preview').hidden = false;
      });
    }, Promise.resolve());
  }

  function convert(event) {
    event.preventDefault();
    var built = buildArguments();
    // One run at a time: a second would mix its messages, downloads and
    // preview with the first's.
    if (built.error !== undefined || converting) return;
    converting = true;
    var files = chosen.gifs.slice();
    if (chosen.palette !== null) files.push(chosen.palette);
    var button = byId('convert');
    button.disabled = true;
    clearDownloads();
    clearPreview();
    byId('messages').textContent = 'Converting...';
    byId('messages').removeAttribute('data-status');
    Promise.all(files.map(readFile)).then(function(contents) {
      var inputs = {};
      files.forEach(function(file, i) { inputs[file.name] = contents[i]; });
      return gif2frm.convert(inputs, built.args);
    }).then(function(result) {
      byId('messages').textContent = result.stdout;
      byId('messages').setAttribute('data-status', String(result.status));
      offerDownloads(result.outputs);
      return showPreview(result.outputs).then(null, function(error) {
        var message = document.createElement('pre');
        message.textContent = 'The viewer failed: ' + error.message;
        byId('preview-frames').appendChild(message);
        byId('preview').hidden = false;
      });
    }, function(error) {
      // A trap of the core rejects with what it threw, not always an Error.
      var what = error instanceof Error ? error.message : String(error);
      byId('messages').textContent = 'The converter failed: ' + what;
      byId('messages').setAttribute('data-status', 'error');
    }).then(function() {
      converting = false;
      refresh();
      byId('messages').focus();
    });
  }

  var coreReady = false;
  var converting = false;

  byId('gif-files').addEventListener('change', function(event) {
    chooseGifs(event.target.files);
  });
  byId('palette-file').addEventListener('change', function(event) {
    choosePalette(event.target.files.length > 0 ? event.target.files[0] : null);
  });
  byId('palette-clear').addEventListener('click', function() {
    choosePalette(null);
  });
  byId('converter').addEventListener('input', refresh);
  byId('converter').addEventListener('submit', convert);
  byId('messages').tabIndex = -1;
  setUpDropZone();
  refresh();

  gif2frm.ready().then(showHelpTexts).then(function() {
    coreReady = true;
    document.body.setAttribute('data-ready', 'true');
    refresh();
  }, function(error) {
    byId('messages').textContent =
        'The converter could not start in this browser: ' + error.message;
  });
})();
