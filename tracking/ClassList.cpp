#include "tracking/ClassList.h"

#include <string>

namespace sevalune {

bool ClassListContains(std::string_view list, std::string_view className) {
  std::string framedList = ",";
  framedList.append(list).push_back(',');
  std::string framedClass = ",";
  framedClass.append(className).push_back(',');
  return framedList.find(framedClass) != std::string::npos;
}

}  // namespace sevalune
