#include "session/PrintModel.h"

std::vector<TPrintModelInfo> PrintModelInfo;
StringList PrintModel;
TPrintModelInfo PrintSetupInfo;
int listCheckNum = 0;
