#ifndef GIF2FRM_CONVERTER_RUN_H_
#define GIF2FRM_CONVERTER_RUN_H_

// The whole program: banner, options, conversion, one message. Returns the
// exit status, 0 on success and 1 on any failure.
int runConverter(int argc, char** argv);

#endif  // GIF2FRM_CONVERTER_RUN_H_
