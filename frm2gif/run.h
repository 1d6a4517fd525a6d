#ifndef GIF2FRM_FRM2GIF_RUN_H_
#define GIF2FRM_FRM2GIF_RUN_H_

// The whole of frm2gif: banner, options, the FRM file read, the GIF files
// written (or, with -i, the sprite printed), one message. Returns the exit
// status, 0 on success and 1 on any failure.
int runViewer(int argc, char** argv);

#endif  // GIF2FRM_FRM2GIF_RUN_H_
