# Precompiled headers. Most of a source's compile time went into parsing the standard library's,
# the platform's, Qt's and GoogleTest's headers once more; each target parses them once instead, and
# every test program reuses one header built for all of them.
option(SOVREL_PCH "Precompile the headers most sources include" ON)

set(sovrel_pch_core
  <algorithm> <cstdint> <filesystem> <functional> <map> <memory> <optional> <set> <sstream>
  <string> <string_view> <vector>
  "${PROJECT_SOURCE_DIR}/platform/include/platform/text.h"
  "${PROJECT_SOURCE_DIR}/platform/include/platform/error.h"
  "${PROJECT_SOURCE_DIR}/platform/include/platform/object_factory.h"
  "${PROJECT_SOURCE_DIR}/platform/include/platform/db/value.h"
  "${PROJECT_SOURCE_DIR}/platform/include/platform/db/rowset.h"
  "${PROJECT_SOURCE_DIR}/platform/include/platform/db/connection.h")
set(sovrel_pch_qt ${sovrel_pch_core}
  <QAction> <QApplication> <QCheckBox> <QComboBox> <QDialog> <QDialogButtonBox> <QGridLayout>
  <QHBoxLayout> <QHeaderView> <QKeyEvent> <QLabel> <QLineEdit> <QMenu> <QPushButton> <QTabWidget>
  <QTableWidget> <QTimer> <QToolBar> <QToolButton> <QVBoxLayout>)
set(sovrel_pch_test ${sovrel_pch_qt} <QTest> <gtest/gtest.h> <gmock/gmock.h>)

# sovrel_pch(<target> core|qt|test)
function(sovrel_pch target kind)
  if(SOVREL_PCH)
    target_precompile_headers(${target} PRIVATE ${sovrel_pch_${kind}})
  endif()
endfunction()

# sovrel_pch_reuse(<target> <from>): the header <from> built, for a target compiled alike.
function(sovrel_pch_reuse target from)
  if(SOVREL_PCH)
    target_precompile_headers(${target} REUSE_FROM ${from})
  endif()
endfunction()
