// Größe in µm, € and 😀
int x = 1;
/* café */
int y = 2;
// Größe in µm, € and 😀
int x = 1;
/* café */
int y = 2;
// Größe in µm, € and 😀
int x = 1;
/* café */
int y = 2;
