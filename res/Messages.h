#pragma once

// Every text the program shows in a message box or asks a question with, in
// one table: the string table's messages (looked up by id through
// LoadResString) and the texts the windows and the model show by name. The
// texts stand as the program has always shown them, spelling included; the
// formats are filled with FormatText.

// The string table, by id.
inline constexpr const char* kAboutMenuText = "&About Tolvane...";                 // 101
inline constexpr const char* kCannotOpenText = "Cannot open audio file.";          // 102
inline constexpr const char* kCannotCreateOutputText = "Cannot create output file."; // 103
inline constexpr const char* kNoRiffText = "AIFF Wave header not found. This WAV file is corrupted.";        // 104
inline constexpr const char* kNoFormatText = "Format Chunck not found. This WAV file is corrupted.";          // 105
inline constexpr const char* kNoDataText = "Data Chunk not found. This wav file is corrupted.";              // 106
inline constexpr const char* kCompressedText =
    "This audio file apperas to have compressed data that is not supported by this software."; // 107
inline constexpr const char* kEmptyFileText = "Audio file does not have any data !!! ( Zero length )"; // 108
inline constexpr const char* kInvalidMp3Text = "Invalid MP3 file !!!";                                  // 109
// A selection or a piece with less than one block or frame of audio.
inline constexpr const char* kNoAudioText = "This selection holds no audio."; // 115

// Saving a selection and splitting.
inline constexpr const char* kCannotCreateDestinationText = "Cannot create destination file.";
inline constexpr const char* kSelectionSavedCaption = "Fragment Saved";
inline constexpr const char* kSelectionSavedFormat = "This selection will last for %.2lf seconds";
inline constexpr const char* kTooManyFragmentsText = "The number of fragments cannot be more than 65534.";
inline constexpr const char* kEmptyFragmentsText =
    "No audio frame was found where these fragments start, so they were not written:";

// The main window.
inline constexpr const char* kReopenQuestionFormat = "%s is already open. Do you wish to open another file ?";
inline constexpr const char* kReopenCaption = "Comfirm";
inline constexpr const char* kNoSelectionText = "Please make a selection by dragging the slider thumb.";
inline constexpr const char* kLegendFormat = "Each interval on the slider represents %u second(s).";
// Opening by a drop or at start, and the end of a split.
inline constexpr const char* kNotAudioKindFormat = "%s is not a WAV or MP3 file.";
inline constexpr const char* kFolderNotAudioFormat = "%s is a folder, not a WAV or MP3 file.";
inline constexpr const char* kDropNotLocalFormat = "%s is not a file on this computer.";
inline constexpr const char* kDropSeveralText = "Drop one file at a time. These were dropped:";
inline constexpr const char* kSplitDoneCaption = "Information";
inline constexpr const char* kSplitDoneText = "These files were written:";
inline constexpr const char* kOpenFolderButton = "Open &Folder";
// Closes a list cut short after its first names.
inline constexpr const char* kAndMoreFormat = "and %zu more.";

// The Shred Equally dialog and its checks.
inline constexpr const char* kNoBaseNameText = "Please enter the base filename.";
inline constexpr const char* kNoCountText = "Please enter the number of fragments.";
inline constexpr const char* kCountTooSmallText = "Please enter fragment value greater than 1.";
inline constexpr const char* kTooShortText =
    "The number of fragments is too large so that it will not play even for 1 second.";
inline constexpr const char* kOverlapNotAdheredText =
    "The fragments may not adhere to the estimate that will be shown.";
inline constexpr const char* kOverlapQuestionFormat =
    "Overlap time is %u Second(s), which is high for the fragments of playtime %u Second(s). "
    "Set the overlap time about %u Second(s). Do you wish to change the overlap time?";
inline constexpr const char* kChangedNameQuestion = "Use original filename option is enabled, but you have changed the "
                                                    "base filename. Do you wish to use the changed filename ?";
inline constexpr const char* kEstimateFormat =
    "%s will be split into %u file(s). A predictive estimate is given below. However, if overlap time is set, then "
    "the fragment size and playtime may change.";

// The overlap time's store.
inline constexpr const char* kOverlapStoreErrorText = "Unable to save overlap time.";
inline constexpr const char* kOverlapValueErrorText = "Unable save overlap time.";
inline constexpr const char* kOverlapErrorCaption = "Error";

// Writing cancelled from the progress window.
inline constexpr const char* kCancelledText = "The writing was cancelled."; // 116
inline constexpr const char* kCancelledCaption = "Information";
inline constexpr const char* kCancelledNothingWrittenText = "No file was written.";
inline constexpr const char* kCancelledWrittenText = "These files were written:";

// Cutting at silences (tolvane-cut split --silence, shred --snap, --trim).
inline constexpr const char* kAnalysingText = "finding the silences";
inline constexpr const char* kAnalysisFailedText = "cannot read the sound to find its silences";
inline constexpr const char* kNoSilenceFormat =
    "no silence below %g dBFS lasting %s or more to cut at; nothing was written";
inline constexpr const char* kSilencesPassedOverFormat =
    "warning: %zu silence(s) hold no whole second to cut at; --exact cuts there too";
inline constexpr const char* kSilenceCutsFormat = "Cutting at %zu silence(s): %s";
inline constexpr const char* kSnapMissedFormat = "warning: no silence within %s of the cut at %s; the cut stays there";
inline constexpr const char* kAllSilenceFormat = "all silence from %s to %s; not written";
inline constexpr const char* kNothingButSilenceText = "nothing but silence; nothing was written";

// Clean MP3 pieces.
inline constexpr const char* kSilencedFramesFormat =
    "%llu frame(s) at the start of %s reach back into audio data the piece does not hold; they were made silent.";
inline constexpr const char* kSilencedFramesCaption = "Information";

// The time line's clock, exact marks and listening.
inline constexpr const char* kExactCutsStoreErrorText = "Unable to save the exact cuts setting.";
inline constexpr const char* kMarkNotATimeFormat =
    "\"%s\" is not a time. Type it as H:MM:SS.mmm, M:SS.mmm or seconds (such as 0:02.250), or as a number of "
    "samples (such as 99225s).";
inline constexpr const char* kMarkPastEndFormat = "%s lies past the end of the audio, which is %s long.";
inline constexpr const char* kClockFormat = "Position %s    Selection %s to %s (%s)    Length %s";
inline constexpr const char* kClockNoSelectionFormat = "Position %s    No selection    Length %s";

// Shred Equally cutting in pauses.
inline constexpr const char* kFindingPausesText = "Finding the pauses...";
inline constexpr const char* kPausesCaption = "Information";
inline constexpr const char* kNoPauseFormat = "No pause within %s of these cuts; they stay where they were:%s";
