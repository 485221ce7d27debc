#pragma once

namespace kadu2217 {

class FrmMaster;
class frmlocalpurchasecosting;
class frmPendingMaster;

// The one instance of each window, created on first use and kept for the module's life.
FrmMaster &frmMaster();
bool frmMasterExists();
frmlocalpurchasecosting &entryWindow();
frmPendingMaster &pendingWindow();

void destroyWindows();

} // namespace kadu2217
