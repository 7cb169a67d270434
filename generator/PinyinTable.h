#ifndef GeneratorPinyinTableH
#define GeneratorPinyinTableH

// The first Mandarin reading of every GBK character that has one, sorted by
// the character's two GBK bytes (lead * 256 + trail). Built at build time.

struct PinyinEntry {
    unsigned short Code;
    unsigned short Syllable;  // index into kPinyinSyllables
};

extern const char* const kPinyinSyllables[];
extern const PinyinEntry kPinyinTable[];
extern const unsigned kPinyinTableSize;

#endif
