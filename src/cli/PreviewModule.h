#pragma once

#include <stddef.h>

// The interface of the preview module (see PreviewModule.cpp): text goes
// back through `write`, stream 1 for standard output, 2 for errors.
extern "C" {
typedef void (*QmCliWrite)(void* context, int stream, const char* data, size_t size);
typedef int (*QmCliPreview)(int argc, const char* const* argv, QmCliWrite write, void* context);
int qm_cli_preview(int argc, const char* const* argv, QmCliWrite write, void* context);
}

// The module's file name, looked for where OpenPrivateModule looks.
#define QM_CLI_PREVIEW_MODULE "libqm_cli_preview.so"
