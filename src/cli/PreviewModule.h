#pragma once

#include <stddef.h>

// The interface of the preview module (see PreviewModule.cpp): the script,
// the output folder and `imageCount` NAME, FILE pairs of images the script
// recalls; text goes back through `write`, stream 1 for standard output, 2
// for errors. Returns the exit code.
extern "C" {
typedef void (*QmCliWrite)(void* context, int stream, const char* data, size_t size);
typedef int (*QmCliPreview)(const char* script, const char* folder, int imageCount,
                            const char* const* imageNames, const char* const* imageFiles,
                            QmCliWrite write, void* context);
int qm_cli_preview(const char* script, const char* folder, int imageCount,
                   const char* const* imageNames, const char* const* imageFiles, QmCliWrite write,
                   void* context);
}

// The module's file name, looked for where OpenPrivateModule looks.
#define QM_CLI_PREVIEW_MODULE "libqm_cli_preview.so"
