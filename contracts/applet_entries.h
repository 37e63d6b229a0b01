// Typed declarations of the forwarded entries of an applet library. Each
// entry takes the whole grabber handle first, then the arguments of the
// exported Px_ function of the same name, and its result is passed back
// unchanged. Applet libraries (and their simulators) implement these.
#pragma once

#include "px_dialog_block.h"
#include "px_struct.h"

#include <cstdint>

extern "C" {

static_assert(sizeof(PxDialogBlock) == 40, "the dialog block is 40 bytes");

// Memory, acquisition and image access.
using PxAllocMemExFn = void* (*)(Px_Struct*, int size, int count);
using PxAllocMemHeadFn = void* (*)(Px_Struct*, int size, int count);
using PxAddMemFn = int (*)(Px_Struct*, void* head, int index, int size, void* buffer);
using PxDelMemFn = int (*)(Px_Struct*, void* head, int index);
using PxAddDummyBufferFn = void* (*)(Px_Struct*, void* memory, int size, void* buffer);
using PxFreeMemHeadFn = int (*)(Px_Struct*, void* head);
using PxFreeMemExFn = int (*)(Px_Struct*, void* memory);
using PxAcquireExFn = int (*)(Px_Struct*, int port, int pictureCount, int mode, void* memory);
using PxStopAcquireExFn = int (*)(Px_Struct*, int port, void* memory, int flag);
using PxSendSoftwareTriggerFn = int (*)(Px_Struct*, int port);
using PxGetLastPicNumberExFn = int (*)(Px_Struct*, int port, void* memory);
using PxGetLastPicNumberBlockingExFn = int (*)(Px_Struct*, int pictureNumber, int port,
                                               int timeoutMs, void* memory);
using PxGetLastPicNumberEventExFn = int (*)(Px_Struct*, int pictureNumber, int port, int timeoutMs,
                                            void* memory, void* event);
using PxGetImageFn = int (*)(Px_Struct*, int, int, int, int);
using PxGetImagePtrExFn = void* (*)(Px_Struct*, int pictureNumber, int port, void* memory);
using PxSetActBufferFn = int (*)(Px_Struct*, int, int);
using PxGetActBufferFn = int (*)(Px_Struct*, int);
using PxSwapBufferFn = int (*)(Px_Struct*, int);
using PxGetStatusFn = int (*)(Px_Struct*, int, int, int);
using PxGetStatusExFn = int (*)(Px_Struct*, int, int, int, void*);
using PxSetStatusFn = int (*)(Px_Struct*, int, int, int);
using PxSetStatusExFn = int (*)(Px_Struct*, int, int, int, void*);
using PxGetImageExFn = int (*)(Px_Struct*, int selector, int pictureNumber, int port, int timeoutMs,
                               void* memory);
using PxGetBoardPointerFn = void* (*)(Px_Struct*);

// Parameters, configuration, applets, clocks, triggers, dialogs.
using PxSetParameterFn = int (*)(Px_Struct*, int parameter, void* value, int port);
using PxGetParameterFn = int (*)(Px_Struct*, int parameter, void* value, int port);
using PxGetParameterExFn = int (*)(Px_Struct*, int parameter, void* value, int port, void* extra,
                                   int extraSize);
using PxSaveConfigFn = int (*)(Px_Struct*, const char* fileName);
using PxLoadConfigFn = int (*)(Px_Struct*, const char* fileName);
using PxGetLoadAppletIdFn = int (*)(Px_Struct*);
using PxGetAppletIdFn = int (*)(Px_Struct*, const char* appletName);
using PxGetAppletListCountFn = int (*)(Px_Struct*);
using PxGetAppletnameFn = const char* (*)(Px_Struct*, int number);
using PxAddAppletFn = int (*)(Px_Struct*, const char* name, int, int, int);
using PxConfigureFn = int (*)(Px_Struct*, int);
using PxSetClksFn = int (*)(Px_Struct*, int, int);
using PxSetExsyncFn = int (*)(Px_Struct*, int, int);
using PxSetFlashFn = int (*)(Px_Struct*, int, int);
using PxGetSerialNumberFn = int (*)(Px_Struct*);
using PxDoDialogFn = int (*)(Px_Struct*, int, int, int, PxDialogBlock block);
using PxCloseDialogFn = int (*)(Px_Struct*);
using PxIsOpenDialogFn = int (*)(Px_Struct*);

// Errors of the handle (the applet's own state).
using PxGetLastErrorNumberFn = int (*)(Px_Struct*);
using PxGetLastErrorDescriptionFn = const char* (*)(Px_Struct*);
using PxGetErrorDescriptionFn = const char* (*)(Px_Struct*, int number);
}

namespace qx::contracts {

// What the acquisition applets of this board family agree on.
inline constexpr int kSelectorLastPicture = 230;   // Px_getImageEx: last picture number
inline constexpr int kParamImageTag = 22000;       // read with the picture number preloaded
inline constexpr int kParamTransferLength = 5210;  // likewise

}  // namespace qx::contracts
