// What the core calls in JavaScript (see worker.js, where each instance gets
// its onWrite and onReadProgress).
mergeInto(LibraryManager.library, {
  // Standard output as bytes, exactly as the program writes them: every
  // write goes to onWrite(fd, bytes), where emscripten's own version would
  // decode the text line by line.
  fd_write__deps: [],
  fd_write__postset: '',
  fd_write__sig: 'iiiii',
  fd_write: function(fd, iov, iovcnt, pnum) {
    var written = 0;
    for (var i = 0; i < iovcnt; i++) {
      // Addresses above 2 GiB arrive as negative numbers: >>> keeps them
      // unsigned.
      var base = HEAPU32[(iov >>> 2) + 2 * i];
      var length = HEAPU32[(iov >>> 2) + 2 * i + 1];
      if (length !== 0) Module['onWrite'](fd, HEAPU8.slice(base, base + length));
      written += length;
    }
    HEAPU32[pnum >>> 2] = written;
    return 0;
  },

  // The input bytes read since the last call (platform/memory_files.h).
  web_read_progress__sig: 'vi',
  web_read_progress: function(bytes) {
    Module['onReadProgress'](bytes >>> 0);
  },
});
