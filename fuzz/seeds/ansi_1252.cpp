// café à la crème
int y;
// café à la crème
int y;
// café à la crème
int y;
// café à la crème
int y;
