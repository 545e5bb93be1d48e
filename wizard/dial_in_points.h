#pragma once

// The service's two built-in dial-in points, each an access number (area
// code, a space, eight digits), a tab and the city; the list shows them in
// two columns. The left panel's web address and support number as built in,
// until contacts.txt says otherwise.
inline constexpr char kMelbournePoint[] = "03 70101234\tMelbourne";
inline constexpr char kSydneyPoint[] = "02 70105678\tSydney";
inline constexpr char kBuiltInWebAddress[] = "www.kestrune.com.au";
inline constexpr char kBuiltInSupportPhone[] = "1300 975 711";
