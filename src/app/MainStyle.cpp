#include "app/MainStyle.h"

namespace quorvane {

namespace {
const char styleSheet[] = R"qss(
QMainWindow#frmMain, QWidget#centralArea { background: #e9eef5; }
QFrame#headerBand {
    background: qlineargradient(x1:0, y1:0, x2:1, y2:0, stop:0 #13233f, stop:1 #2b5688);
    border-bottom: 1px solid #0d1a30;
}
QLabel[objectName="headerLbl(0)"] { color: #ffffff; }
QLabel#headerSubtitle { color: #a9c3e3; }
QLabel#clearCaseLbl {
    color: #eaf2fc; background: rgba(255, 255, 255, 0.14);
    border: 1px solid rgba(255, 255, 255, 0.25); border-radius: 11px; padding: 3px 12px;
}
QFrame#frameMain {
    background: #ffffff; border: 1px solid #c5d0de; border-radius: 6px;
}
QFrame[objectName="frameMainTabStrip(0)"], QFrame[objectName="frameMainTabStrip(1)"] {
    background: #ffffff; border: 1px solid #c5d0de; border-top-right-radius: 6px;
    border-bottom-left-radius: 6px; border-bottom-right-radius: 6px;
}
QFrame[objectName="frameMainTabStrip(0)"] { background: #f4f7fb; }
QFrame#graphCard { background: #ffffff; border: 1px solid #c5d0de; }
QTabBar#mainTabStrip::tab {
    background: #d6dfea; color: #2d3f57; border: 1px solid #c5d0de; border-bottom: none;
    padding: 6px 22px; margin-right: 2px; border-top-left-radius: 5px; border-top-right-radius: 5px;
}
QTabBar#mainTabStrip::tab:selected { background: #ffffff; color: #13233f; font-weight: 600; }
QTabBar#mainTabStrip::tab:disabled { color: #8a97a8; }
QStatusBar#statBar { background: #dde5ef; border-top: 1px solid #c5d0de; color: #24364f; }
QStatusBar#statBar::item { border: none; }
QProgressBar#ProgressBar1 {
    border: 1px solid #9fb2c8; border-radius: 3px; background: #f4f7fb; max-height: 10px;
}
QProgressBar#ProgressBar1::chunk { background: #3d7eb8; }
)qss";
} // namespace

QString mainStyleSheet()
{
    return QString::fromLatin1(styleSheet);
}

} // namespace quorvane
