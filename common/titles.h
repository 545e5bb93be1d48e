#pragma once

// Message boxes carry the name of the program part that shows them.
inline constexpr char kRegistrationTitle[] = "Kestrune Registration";
inline constexpr char kSurveyTitle[] = "Kestrune Survey";
inline constexpr char kRestoreTitle[] = "Kestrune Account Restore";
