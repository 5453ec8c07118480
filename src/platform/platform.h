#pragma once
// Adapters for what the operating system provides (clipboard, file dialogs,
// image decoding, tablet, fonts, single-instance lock, temporary folder).
