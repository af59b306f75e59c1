#include "app/view/Viewtools.h"

#include <QAction>
#include <QMenu>

#include "app/Main.h"
#include "app/view/Profiletool.h"
#include "app/view/Viewprobe.h"

void AddViewTools(TMainForm& form, QMenu* view) {
  new TViewProbe(form);
  view->addSeparator();
  QAction* profile = view->addAction("Line &Profile");
  profile->setObjectName("LineProfileMenuItem");
  profile->setCheckable(true);
  profile->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_L));
  profile->setStatusTip("drag a line on the view: the gray values, or the map's values, along it");
  auto* tool = new TProfileTool(form, profile);
  tool->setObjectName("ProfileTool");
}
