#include "transfer/transfer_steps.h"

#include "serial/com_port.h"

namespace zr640 {

void EndTransfer(TransferContext& context) { SetRts(context.port, CLRRTS); }

}  // namespace zr640
