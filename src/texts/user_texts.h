// Every text the user reads, in Polish, each written once and used by name
// (the manual page's, in English, at the end). Messages use \n for their
// line ends; formats take %d for a signed decimal number.
#pragma once

// Status bar.
inline constexpr char ReadyText[] = "Gotów!";
inline constexpr char LoadingDepthMapText[] = "Wczytywanie mapy głębokości...";
inline constexpr char LoadingStereogramText[] = "Wczytywanie stereogramu...";
inline constexpr char LoadingPatternText[] = "Wczytywanie wzorca...";
inline constexpr char LoadingModelText[] = "Wczytywanie modelu 3D...";
inline constexpr char DrawingTextDepthMapText[] = "Tworzenie mapy głębokości z tekstu...";
inline constexpr char SavingPictureText[] = "Zapisywanie wyświetlanego obrazka...";
inline constexpr char SavingPairText[] = "Zapisywanie pary stereo...";
inline constexpr char ChangingPreferencesText[] = "Zmiana preferencji...";
inline constexpr char GeneratingPatternText[] = "Generowanie losowego wzorca...";
inline constexpr char GeneratingStereogramText[] = "Generowanie stereogramu...";
inline constexpr char DecodingStereogramText[] = "Dekodowanie stereogramu...";
// A file from outside: named on the command line or dropped on the window.
inline constexpr char LoadingFileText[] = "Wczytywanie pliku...";
inline constexpr char LoadedAsStereogramText[] = "Wczytano jako stereogram";
inline constexpr char LoadedAsDepthMapText[] = "Wczytano jako mapę głębokości";
inline constexpr char NotLoadedText[] = "Nie wczytano pliku";
// The passes of the five-pass batch, numbered from 1.
inline constexpr char GeneratingPassFormat[] = "Generowanie #%d...";
inline constexpr char DecodingPassFormat[] = "Dekodowanie #%d...";

// Message box captions.
inline constexpr char NoCaption[] = "";
inline constexpr char WarningCaption[] = "Uwaga!";
inline constexpr char PreferencesWarningCaption[] = "Uwaga";
inline constexpr char ViewWarningCaption[] = "UWAGA";
inline constexpr char ErrorCaption[] = "Błąd";
inline constexpr char AboutCaption[] = "Informacja";
inline constexpr char PictureInfoCaption[] = "Informacja o załadowanych komponentach";

// Messages of the workspace and of the BMP files.
inline constexpr char OutOfMemoryText[] = "Brak pamięci!";
inline constexpr char LoadDepthMapFirstText[] = "Najpierw załaduj mapę głębokości!";
inline constexpr char PatternHeightText[] = "Wysokość wzorca różni się od wysokości obrazka!\nMuszą się zgadzać.";
inline constexpr char Only24BitText[] = "Niestety możemy pobawić się tylko obrazkami w 24 bitowym kolorze";
inline constexpr char CorruptBmpText[] = "Uszkodzony lub nieobsługiwany plik BMP!";
inline constexpr char NothingToSaveText[] = "Teee...... nie ma co nagrywać!";
inline constexpr char WriteErrorText[] = "Błąd zapisu pliku!";
// PNG and JPEG files, read beside BMP ones; the caption is ErrorCaption.
inline constexpr char CorruptPngText[] = "Uszkodzony lub nieobsługiwany plik PNG!";
inline constexpr char CorruptJpegText[] = "Uszkodzony lub nieobsługiwany plik JPEG!";
inline constexpr char PictureTooLargeText[] = "Obrazek jest zbyt duży, by go wczytać!";
// Model files (STL, OBJ, PLY) and raised text, from which depth maps are
// drawn; the caption is ErrorCaption, WarningCaption for what the user typed.
inline constexpr char CorruptStlText[] = "Uszkodzony lub nieobsługiwany plik STL!";
inline constexpr char CorruptObjText[] = "Uszkodzony lub nieobsługiwany plik OBJ!";
inline constexpr char CorruptPlyText[] = "Uszkodzony lub nieobsługiwany plik PLY!";
inline constexpr char UnknownModelText[] = "Nieznany rodzaj pliku modelu!\nObsługiwane są pliki STL, OBJ i PLY.";
inline constexpr char NoTrianglesText[] = "Model nie ma żadnej ściany!";
inline constexpr char ModelTooLargeText[] = "Model jest zbyt duży, by go wczytać!";
inline constexpr char BadDepthMapSizeText[] = "Nieprawidłowe wymiary mapy głębokości!";
inline constexpr char BadRotationText[] = "Nieprawidłowy kąt obrotu modelu!";
inline constexpr char BadTextEncodingText[] = "Napis nie jest poprawnym tekstem UTF-8!";
inline constexpr char EmptyTextText[] = "Napis jest pusty!";
// Animations (APNG and GIF); the caption is ErrorCaption.
inline constexpr char AnimationFrameSizeText[] = "Wszystkie klatki animacji muszą mieć takie same wymiary!";
inline constexpr char GifTooLargeText[] = "Obrazek jest zbyt duży dla pliku GIF!\nGIF mieści najwyżej 65535 x 65535 punktów.";

// Messages of the engine and the views.
inline constexpr char NoPatternText[] = "Hej, nie ma wygenerowanego patternu!";
inline constexpr char NoStereogramText[] = "Hej, nie ma wygenerowanego stereogramu!";
inline constexpr char NoDepthMapText[] = "Niestety jeszcze nie ma mapy głębokości";
inline constexpr char BadRepeatCountText[] = "Nieprawidłowa ilość powtórzeń wzorca!\nZmień ją w preferencjach.";
inline constexpr char DepthMapWidenedText[] =
    "Automatycznie zostały zmienione wymiary mapy głębokości\naby dostosować je do wzorca";
inline constexpr char PatternWidthNotFoundText[] =
    "Nie znaleziono szerokosci patternu\nJako szerokość patternu zostanie wzięta wartość z preferencji";
inline constexpr char NothingToShowText[] = "Sorki, ale nie ma co wyświetlać";

// Messages of the Preferences dialog.
inline constexpr char BadDepthBitsText[] = "Błędne wartości głębokości\ndozwolone wartości: 1-8";
inline constexpr char BadRepeatCountRangeText[] =
    "Błędne wartości ilości powtórzeń wzorca\ndozwolone wartości: 3 - szeokość ekarnu/10";
inline constexpr char BadParallaxText[] = "Błędna paralaksa par stereo\ndozwolone wartości: 0 - 10000";
inline constexpr char PatternWidthChangedText[] = "Zmieniono szerokość wzorca.\nNależy ponownie go wygenerować";

// Picture Info, four pieces joined as they are.
inline constexpr char StereogramSizeFormat[] = "Wymiary sterogramu: %d x %d\n";
inline constexpr char NoStereogramInfoText[] = "Stereogramu nie ma.\n";
inline constexpr char DepthMapSizeFormat[] = "Wymiary mapy głębokości: %d x %d\n";
inline constexpr char NoDepthMapInfoText[] = "Mapy głebokości nie załadowano.\n";
inline constexpr char PatternSizeFormat[] = "Wymiary wzorca: %d x %d\n";
inline constexpr char NoPatternInfoText[] = "Wzorca nie załadowano.\n";
inline constexpr char LevelCountFormat[] = "Ilość poziomów: %d";
// A stereogram or pattern in colour says so after its size.
inline constexpr char StereogramColourSizeFormat[] = "Wymiary sterogramu: %d x %d, w kolorze\n";
inline constexpr char PatternColourSizeFormat[] = "Wymiary wzorca: %d x %d, w kolorze\n";

inline constexpr char AboutText[] =
    "Tavrelic\n\n"
    "Stereogramy z losowych punktów (SIRDS):\n"
    "z mapy głębokości i wzorca powstaje stereogram,\n"
    "a stereogram można odczytać z powrotem\n"
    "jako mapę głębokości.";

// The file dialogs' filters, each a name and its patterns: BMP first, then
// every picture the program reads, then one for each other format (the
// window's title is the program's name, from the build).
inline constexpr char BmpFilterName[] = "Pliki BMP";
inline constexpr char BmpFilterPattern[] = "*.BMP";
inline constexpr char PicturesFilterName[] = "Wszystkie obrazki";
inline constexpr char PicturesFilterPattern[] = "*.BMP;*.PNG;*.JPG;*.JPEG";
inline constexpr char PngFilterName[] = "Pliki PNG";
inline constexpr char PngFilterPattern[] = "*.PNG";
inline constexpr char JpegFilterName[] = "Pliki JPEG";
inline constexpr char JpegFilterPattern[] = "*.JPG;*.JPEG";
inline constexpr char ModelsFilterName[] = "Modele 3D";
inline constexpr char ModelsFilterPattern[] = "*.STL;*.OBJ;*.PLY";
inline constexpr char StlFilterName[] = "Pliki STL";
inline constexpr char StlFilterPattern[] = "*.STL";
inline constexpr char ObjFilterName[] = "Pliki OBJ";
inline constexpr char ObjFilterPattern[] = "*.OBJ";
inline constexpr char PlyFilterName[] = "Pliki PLY";
inline constexpr char PlyFilterPattern[] = "*.PLY";

// The menu bar: the four menus and their items.
inline constexpr char FileMenuTitle[] = "Plik";
inline constexpr char LoadDepthMapItem[] = "Ładuj mapę głębokości";
inline constexpr char LoadStereogramItem[] = "Ładuj stereogram";
inline constexpr char LoadPatternItem[] = "Ładuj wzorzec";
inline constexpr char LoadModelItem[] = "Ładuj model 3D (STL, OBJ, PLY)";
inline constexpr char TextDepthMapItem[] = "Mapa głębokości z tekstu...";
inline constexpr char SavePictureItem[] = "Zapisz aktualny obrazek";
// The stereo pairs of the depth map, side by side: for parallel viewing and
// 3D screens (left | right), and for crossed eyes (right | left).
inline constexpr char SaveParallelPairItem[] = "Zapisz parę stereo (patrzenie równoległe)";
inline constexpr char SaveCrossedPairItem[] = "Zapisz parę stereo (patrzenie zezem)";
// Also the title of the dialog that the item opens.
inline constexpr char PreferencesItem[] = "Preferencje";
inline constexpr char ExitItem[] = "Koniec";
inline constexpr char ActionMenuTitle[] = "Akcja";
inline constexpr char GeneratePatternItem[] = "Generuj wzorzec";
inline constexpr char GenerateStereogramItem[] = "Generuj stereogram";
inline constexpr char DecodeStereogramItem[] = "Dekoduj stereogram";
inline constexpr char RoundTripItem[] = "5 * kodowanie+dekodowanie";
inline constexpr char ShowMenuTitle[] = "Pokaż";
inline constexpr char ShowStereogramWithDotsItem[] = "SIRDS + punkty kontrolne";
inline constexpr char ShowStereogramPlainItem[] = "SIRDS bez punktów kontrolnych";
inline constexpr char ShowDepthQuantisedItem[] = "Mapę głębokości (przeskalowaną)";
inline constexpr char ShowDepthOriginalItem[] = "Mapę głębokości (oryginalną)";
inline constexpr char ShowPatternStripItem[] = "Wzorzec (jeden pasek)";
inline constexpr char ShowPatternTiledItem[] = "Wzorzec (powielony)";
inline constexpr char ShowAnaglyphItem[] = "Anaglif (czerwony/cyjan)";
inline constexpr char ShowCertaintyItem[] = "Pewność dekodowania";
inline constexpr char InfoMenuTitle[] = "Info";
inline constexpr char PictureInfoItem[] = "Picture Info";
inline constexpr char AboutItem[] = "About";

// The Preferences dialog: its frames, the labels of its fields, its buttons.
inline constexpr char GenerationGroupTitle[] = "Generacja";
inline constexpr char DecodingGroupTitle[] = "Dekodowanie";
inline constexpr char UnresolvedGroupTitle[] = "Jeśli nie da się określić wartości punktu";
inline constexpr char DecoderGroupTitle[] = "Dekoder";
inline constexpr char ExactDecoderLabel[] = "Dokładny (pliki bezstratne)";
inline constexpr char TolerantDecoderLabel[] = "Tolerancyjny (JPEG, obrazki wygładzone)";
inline constexpr char AutomaticDecoderLabel[] = "Automatycznie, według pliku";
inline constexpr char DepthBitsLabel[] = "Ilość poziomów głębokości (2^x):";
inline constexpr char RepeatCountLabel[] = "Ile razy wzorzec ma być powielony:";
inline constexpr char WallEyedLabel[] = "Rozbieżny (WALLEYED)";
inline constexpr char RandomFillLabel[] = "Nieokreśloną wartość losuj";
inline constexpr char MinMatchLabel[] = "Minimum wrażliwości:";
inline constexpr char SearchRangeLabel[] = "Maksymalny zakres poszukiwania";
inline constexpr char KeepPreviousLabel[] = "Zostaw starą wartość";
inline constexpr char RandomValueLabel[] = "Losuj wartość";
inline constexpr char BackgroundValueLabel[] = "Przyjmij wartość tła";
inline constexpr char ColourLabel[] = "Stereogram w kolorze";
inline constexpr char ParallaxLabel[] = "Paralaksa par stereo (0 = auto):";
inline constexpr char OkButtonText[] = "OK";
inline constexpr char TextDepthDialogTitle[] = "Mapa głębokości z tekstu";
inline constexpr char TextDepthTextLabel[] = "Tekst:";
inline constexpr char TextDepthWidthLabel[] = "Szerokość:";
inline constexpr char TextDepthHeightLabel[] = "Wysokość:";
inline constexpr char CancelButtonText[] = "Anuluj";

// What a screen reader calls the parts of the main window that have no
// text of their own (the status bar's name is the status text itself).
inline constexpr char PictureAreaName[] = "Obrazek";
inline constexpr char StatusBarDescription[] = "Pasek stanu";
inline constexpr char ProgressBarName[] = "Postęp";

// The window program's command line, tavrelic. The help and the version go
// to standard output; a refused call prints its reason after "tavrelic: "
// and then the usage line on standard error.
inline constexpr char StartUsageText[] = "Użycie: tavrelic [--depth-map | --stereogram] [PLIK] | --help | --version\n";
inline constexpr char StartHelpText[] =
    "Użycie: tavrelic [--depth-map | --stereogram] [PLIK] | --help | --version\n"
    "Tworzy i odczytuje stereogramy z losowych punktów (SIRDS) w oknie.\n"
    "\n"
    "  PLIK            obrazek wczytany na starcie: jako stereogram, jeśli nim\n"
    "                  jest, a w przeciwnym razie jako mapa głębokości\n"
    "  --depth-map     PLIK wczytany jako mapa głębokości\n"
    "  --stereogram    PLIK wczytany jako stereogram\n"
    "  --help          ta pomoc\n"
    "  --version       wersja programu\n"
    "\n"
    "Plik upuszczony na okno wczytuje się tak samo jak PLIK z wiersza poleceń.\n"
    "Kod wyjścia: 0 po zamknięciu okna, 2 przy błędnym wywołaniu.\n";
inline constexpr char StartVersionFormat[] = "tavrelic %s\n";
inline constexpr char StartUnknownOptionFormat[] = "nieznana opcja: %s";
inline constexpr char StartOneFileText[] = "można podać najwyżej jeden plik";
inline constexpr char StartTwoKindsText[] = "--depth-map i --stereogram wykluczają się";
inline constexpr char StartKindWithoutFileFormat[] = "opcja %s wymaga pliku";
inline constexpr char StartAloneOptionFormat[] = "%s nie łączy się z innymi argumentami";

// The command line, tavrelic-cli. Its boxes are the window's texts, each a
// line on standard error; these are its own.
// --help: the usage, then a line for each Preferences option (made from the
// Preferences table), then the rest.
inline constexpr char CliUsageHeadText[] =
    "Użycie:\n"
    "  tavrelic-cli generate MAPA... -o WYJŚCIE [opcje]    stereogram z mapy głębokości\n"
    "  tavrelic-cli generate --text \"TEKST\" -o WYJŚCIE [opcje]  stereogram z napisu\n"
    "  tavrelic-cli decode STEREOGRAM... -o WYJŚCIE [opcje] mapa głębokości ze stereogramu\n"
    "  tavrelic-cli batch MAPA... -o WYJŚCIE [opcje]       5 * kodowanie+dekodowanie\n"
    "  tavrelic-cli info PLIK...                           rodzaj i wymiary plików\n"
    "  tavrelic-cli --help | --version\n"
    "\n"
    "Opcje, jak w oknie Preferencje:\n";
inline constexpr char CliUsageTailText[] =
    "  --pattern PLIK      wzorzec z pliku zamiast wygenerowanego (generate, batch)\n"
    "  --view WIDOK        zapisany widok: stereogram, stereogram-plain, depth,\n"
    "                      depth-original, pattern, pattern-tiled, certainty (pewność\n"
    "                      dekodowania); para stereo z mapy\n"
    "                      głębokości: anaglyph (czerwony/cyjan), side-by-side\n"
    "                      (równolegle), cross-view (zezem), dwa razy szersze\n"
    "  -o WYJŚCIE          plik dla jednego wejścia, folder dla kilku\n"
    "\n"
    "Mapy głębokości z modeli 3D (.stl, .obj, .ply) i z tekstu:\n"
    "  --size SZERxWYS     wymiary rysowanej mapy (640x480)\n"
    "  --rotate X,Y,Z      obrót modelu w stopniach, kolejno wokół osi X, Y, Z\n"
    "  --text \"TEKST\"      mapa głębokości z wypukłych liter zamiast plików\n"
    "Animacje:\n"
    "  --animate           jeden animowany plik .png albo .gif ze wszystkich klatek\n"
    "  --fps N             klatki na sekundę animacji (1-100; 12)\n"
    "  --fresh-dots        nowe kropki w każdej klatce zamiast spokojnych\n"
    "\n"
    "Każde wejście jest przetwarzane od startu programu, tak jak w oknie; plik\n"
    "kończący się na .png jest zapisywany jako PNG, każdy inny jako BMP.\n"
    "Kod wyjścia: 0 wszystko zapisane, 1 któreś wejście odrzucone, 2 błędne\n"
    "wywołanie lub opcja, 3 brak pamięci.\n";
// The words of the options' ranges in --help: "3 - szerokość/10".
inline constexpr char CliWidthWord[] = "szerokość";
// The Preferences options' lines in --help, after the option and its value.
inline constexpr char DepthBitsHelp[] = "ilość poziomów głębokości 2^N";
inline constexpr char RepeatCountHelp[] = "ile razy wzorzec ma być powielony";
inline constexpr char CrossEyedHelp[] = "zbieżny zamiast rozbieżnego (WALLEYED)";
inline constexpr char NoRandomFillHelp[] = "bez losowych wartości (wzorzec i wypełnienie)";
inline constexpr char MinMatchHelp[] = "minimum wrażliwości";
inline constexpr char SearchRangeHelp[] = "maksymalny zakres poszukiwania";
inline constexpr char UnresolvedHelp[] = "nieokreślona wartość punktu: stara, losowa lub tła";
inline constexpr char ColourHelp[] = "stereogram w kolorze: kolory wzorca i kolorowe kropki";
inline constexpr char DecoderHelp[] = "dekoder: dokładny, tolerancyjny (JPEG) lub automatycznie wg pliku";
inline constexpr char ParallaxHelp[] = "największa paralaksa par stereo w pikselach, 0: 3% szerokości";
inline constexpr char CliSeeHelpText[] = "Pomoc: tavrelic-cli --help";
inline constexpr char CliUnknownCommandFormat[] = "nieznane polecenie: %s";
inline constexpr char CliUnknownOptionFormat[] = "nieznana opcja: %s";
inline constexpr char CliMissingValueFormat[] = "opcja %s wymaga wartości";
inline constexpr char CliBadNumberFormat[] = "%s: niepoprawna liczba: %s";
inline constexpr char CliBadChoiceFormat[] = "%s: niepoprawna wartość: %s";
inline constexpr char CliNoInputsText[] = "nie podano plików wejściowych";
inline constexpr char CliNoOutputText[] = "nie podano wyjścia (-o)";
inline constexpr char CliOptionNotForCommandFormat[] = "opcja %s nie dotyczy polecenia %s";
inline constexpr char CliOutputNotFolderText[] = "przy kilku wejściach wyjście musi być folderem";
inline constexpr char CliSameOutputFormat[] = "%s i %s dają ten sam plik wyjściowy %s";
inline constexpr char CliUnreadableText[] = "nie można odczytać pliku albo nie jest to obrazek";
inline constexpr char CliBadSizeFormat[] = "%s: niepoprawne wymiary: %s (SZEROKOŚĆxWYSOKOŚĆ, od 1 do 32768)";
inline constexpr char CliBadRotationFormat[] = "%s: niepoprawny obrót: %s (trzy kąty w stopniach: X,Y,Z)";
inline constexpr char CliBadFramesPerSecondFormat[] = "%s: niepoprawna liczba klatek na sekundę: %s (od 1 do 100)";
inline constexpr char CliTextAndInputsText[] = "--text daje mapę głębokości zamiast plików wejściowych: nie podawaj ich";
inline constexpr char CliAnimationNameText[] = "animacja (--animate) jest zapisywana do pliku .png albo .gif";
inline constexpr char CliModelNotStereogramText[] = "to model 3D, a nie stereogram: dekodować można tylko obrazki";
inline constexpr char CliFrameSizesFormat[] =
    "klatki animacji muszą mieć takie same wymiary: %s ma %d x %d, a %s %d x %d";
inline constexpr char CliProgressFormat[] = "%d z %d";
// info: the kind of a file and its size.
inline constexpr char CliInfoFormat[] = "%s: %s, %d x %d";
inline constexpr char CliInfoColourFormat[] = "%s: %s, %d x %d, w kolorze";
inline constexpr char BmpFormatName[] = "BMP 24-bitowy";
inline constexpr char PngFormatName[] = "PNG";
inline constexpr char JpegFormatName[] = "JPEG";

// The manual page's paragraphs for the Preferences options (English, as the
// manual pages are): what each option sets.
inline constexpr char DepthBitsManual[] = "The number of depth levels as a power of two, 2^\\fIN\\fP.";
inline constexpr char RepeatCountManual[] = "How many times the pattern strip repeats across the picture.";
inline constexpr char CrossEyedManual[] = "Make the stereogram for cross-eyed viewing instead of wall-eyed.";
inline constexpr char NoRandomFillManual[] = "Fill the pattern with a grey ramp instead of random dots.";
inline constexpr char MinMatchManual[] = "The shortest run of matching points that decoding counts as a match.";
inline constexpr char SearchRangeManual[] = "The widest strip, in pixels, that decoding looks for.";
inline constexpr char UnresolvedManual[] =
    "What decoding gives a point it cannot resolve: \\fBkeep\\fP, the depth of the last point it resolved; "
    "\\fBrandom\\fP, a random value; \\fBbackground\\fP, the background.";
inline constexpr char ColourManual[] =
    "Keep the colours: a pattern loaded with \\fB\\-\\-pattern\\fP keeps its colours (a strip of another "
    "height is tiled down the rows), generated dots and random fill are drawn in colour, and a stereogram to decode "
    "keeps its colours and is matched on all three channels. A depth map is always read as grey.";
inline constexpr char DecoderManual[] =
    "Which decoder reads a stereogram: \\fBexact\\fP, which follows runs of exactly equal points and suits "
    "BMP and PNG files; \\fBtolerant\\fP, which matches points whose neighbourhoods are close, chooses "
    "separations that change smoothly along and across the rows, and so reads JPEG files, colour textures and "
    "smoothed pictures; \\fBauto\\fP, the tolerant decoder for a JPEG input and the exact one for any other.";
inline constexpr char ParallaxManual[] =
    "The largest parallax of the stereo pairs (\\fB\\-\\-view anaglyph\\fP, \\fBside\\-by\\-side\\fP, "
    "\\fBcross\\-view\\fP), in pixels: the distance between a point's two places in the two eyes at depth 255. "
    "0 is automatic: 3 % of the picture's width, a common comfort limit for 3D screens.";
