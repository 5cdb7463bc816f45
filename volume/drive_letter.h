// Giving a partition a persistent drive letter through the mount manager.
#ifndef TARNWICK_DRIVE_LETTER_H
#define TARNWICK_DRIVE_LETTER_H

// Mounts partition partitionNumber (0..3, used as given in
// \device\harddiskN\partitionM, where 1 is the first partition) of drive
// driveNumber at letter, or at the first free letter from D when letter is 0.
// Returns the letter mounted, or 0.
char AssignDriveLetter(int driveNumber, int partitionNumber, char letter);

// The letters chosen run from this one to Z; A, B and C never are.
const char FIRST_CHOSEN_LETTER = 'D';

// The first letter from D to Z that is not a logical drive, or 0.
char FirstFreeDriveLetter(void);

#endif
