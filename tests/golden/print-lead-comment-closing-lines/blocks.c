/* One line above a comment of several lines: both are printed. */
/*
 * The lower comment's opening has a comment opening
 * on the nearest line above it.
 */
int one_line_above(void)
{
    return 1;
}

/*
 * Several lines above a one-line comment: the line above the lower
 * comment's opening holds only this comment's closing, so this block
 * ends the search and only the lower comment is printed.
 */
/* The one-line comment. */
int several_lines_above(void)
{
    return 2;
}
