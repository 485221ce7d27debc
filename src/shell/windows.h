#pragma once

namespace kadu2217 {

class FrmMaster;

// The one instance of each window, created on first use and kept for the module's life.
FrmMaster &frmMaster();
bool frmMasterExists();

void destroyWindows();

} // namespace kadu2217
