int first_line(void)
{
    return 1;
}

/* Stacked: the first comment. */

/* the second, after a blank line */


/* the third, after two blank lines */
int stacked(void)
{
    return 2;
}

/* Not printed: a line of code stands between this comment and the next. */
static int counter;
/* Printed: the comment right above the header. */
int code_above(void)
{
    return counter;
}

/* Not printed. */
static int total; /* kept without the code before it */
/* the lower comment */
int code_then_comment_above(void)
{
    return total;
}

/*
 * A comment, then a declaration, then the header:
 * the comment is printed, the declaration is not.
 */
static int limit = 3;

int comment_decl_header(void)
{
    return limit;
}

// Line comments right above the header
// are copied as part of the text.
int slashes_above(void)
{
    return 5;
}

// Line comments, then a blank line: no comment lines.

int slashes_then_blank(void)
{
    return 6;
}

/* A block comment, then a line comment. */
// The line comment starts the copy.
int block_then_slashes(void)
{
    return 7;
}

/******************************/
/* Equal rule lines both kept */
/******************************/
int rules(void)
{
    return 8;
}

    /* Indented: not in the first column, so not part of the text. */
int indented(void)
{
    return 9;
}

/* Only the comment */ static int after_close;
int code_after_close(void)
{
    return after_close;
}

/* Blank lines below the comment are not printed. */


int blank_after(void)
{
    return 11;
}
